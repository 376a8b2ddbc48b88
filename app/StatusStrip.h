#pragma once
// One line at the bottom of its parent's client area: a coloured mark and a
// short text, e.g. the state of the line to the ECU. It keeps itself there,
// full width and HeightFor(its height) high, when the parent is resized (the parent
// keeps that height free of other windows), and
// shortens a text that does not fit at its start ("...ttyUSB0: Permission
// denied": the end holds the device and the reason), the whole text then
// being its tooltip.
#include <wx/window.h>

class StatusStrip : public wxWindow {
public:
    enum class Mark {
        Off,  // grey: nothing to report (no input)
        Good, // green: data flows
        Busy, // amber: working on it (searching)
        Bad,  // red: no data (no reply, cannot open)
    };
    // Its height on the handheld; a taller window gets a taller strip, up to
    // a finger's width.
    static constexpr int kStripHeight = 14;
    static constexpr int kTallestStrip = 32;
    static int HeightFor(int parentClientHeight);

    explicit StatusStrip(wxWindow* parent);

    // Repaints only when something changed.
    void SetStatus(Mark mark, const wxString& text);
    Mark GetMark() const { return m_mark; }
    const wxString& GetText() const { return m_text; }
    // Night colours or day colours; repaints on a change.
    void SetNight(bool night);

private:
    wxColour MarkColour(Mark mark) const;
    void OnPaint(wxPaintEvent& event);
    void OnParentSize(wxSizeEvent& event);
    void PlaceAtBottom();

    Mark m_mark = Mark::Off;
    wxString m_text;
    bool m_night = false;
};
