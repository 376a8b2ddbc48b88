#pragma once
// The small numeric gauge: a title, the value in seven-segment digits and the
// units, on a borderless child control. A click anywhere on it (texts
// included) opens its value selector, which lists the descriptions the current
// input can supply.
//
// The texts are laid out for the gauge's size whenever it changes: the title
// across the top, the units in the lower right corner, the digits in the rest,
// each font as large as its box allows. A number too wide for its box is shown
// smaller; one too wide even at the smallest size shows the overflow mark, so
// a shown number never loses a digit.
//
// The gauge points into the description list it is given and never owns or
// changes a description. With an empty list it shows an empty face and
// ignores every request that needs a description.
#include "dispatch/GaugeListener.h"
#include "gaugemodel/AlarmState.h"
#include "gaugemodel/GaugeDescChooser.h"
#include "gauges/GaugeValueSelector.h"

#include <wx/control.h>
#include <wx/font.h>
#include <wx/timer.h>
#include <wx/weakref.h>

class wxStaticTextEx;

class TarnGaugeDigital : public wxControl, public GaugeListener {
public:
    // Height is width x 0.31666666666666665, truncated. Shows the first
    // description of `descs` (not owned; may be null) whose symbol name is
    // `symbolName`, else the first of all.
    TarnGaugeDigital(wxWindow* parent, const GaugeDescList* descs, const wxString& symbolName,
                     int x, int y, int width);

    // Shows v in the description's value format, NaN as dashes (no value);
    // ignored without a description.
    void SetValue(double v) override;
    // The digits of a stale value are grey, whatever its alarm; those of a
    // doubtful one in their own colour. A value in a warning band is drawn in
    // the warning colour, in a danger band in the danger colour, flashing.
    void SetStale(bool stale) override;
    void SetDoubtful(bool doubtful) override;
    bool IsStale() const { return m_alarm.IsStale(); }
    void SetNight(bool night);
    // The alarm of the live value (None while stale).
    AlarmLevel GetAlarmLevel() const { return m_alarm.LiveLevel(); }
    const AlarmState& GetAlarmState() const { return m_alarm; }
    wxColour GetValueColour() const;
    // "max …/min …" in the title for kPeaksShownMs (Alt-click does it too).
    void ShowPeaks();
    bool PeaksShown() const { return m_peaksTimer.IsRunning(); }
    void ResetPeaks();
    // The list to choose from after a new definition; shows description `i`.
    void SetGaugeDescArray(const GaugeDescList* descs, int i);
    static constexpr int kPeaksShownMs = 3000;
    void RefreshSymbol(const ValueMap& values) override;
    wxString GetSymbolName() override;
    // Row `i` of the last offered list; any other index is ignored.
    void SetValueIdx(int i) override;
    // Position `i` of the description list; out of range means 0.
    void SetDefaultGaugeDesc(int i);
    // Takes the description shown up again after it changed.
    void RetakeGaugeDesc();

    // For tests and the dashboard's own checks.
    GaugeValueSelector* GetSelector() const { return m_selector; }
    int GetDefaultGaugeId() const { return m_defGaugeId; }

    static const long ID_STATICTEXT1;
    static const long ID_STATICTEXT2;
    static const long ID_STATICTEXT3;
    // Shown instead of a number too wide for the gauge at any size.
    static const char* const kOverflowMark;
    // The digits are never drawn smaller than this.
    static constexpr int kSmallestDigitPoints = 5;

private:
    void OnLeftDown(wxMouseEvent& event);
    void OnFlash(wxTimerEvent& event);
    void OnPeaksTimer(wxTimerEvent& event);
    // The description's limits; its peaks start again.
    void TakeAlarmBounds();
    void ApplyPalette();
    void ApplyValueColour();
    void OnSize(wxSizeEvent& event);
    void ShowDescTexts();
    // Fonts and places of the three texts for the current size and description.
    void LayOutTexts();
    // Puts `text` into the value box at the largest size it fits; with the
    // same text and box as before there is nothing to do.
    void ShowValueText(const wxString& text, bool boxChanged = false);

    GaugeDescChooser m_chooser; // the descriptions; not owned
    int m_defGaugeId = -1;      // -1 while no description is shown
    wxStaticTextEx* m_titleText = nullptr;
    wxStaticTextEx* m_valueText = nullptr;
    wxStaticTextEx* m_unitsText = nullptr;
    // A child window; tracked so that a selector destroyed by a forced close is
    // made again on the next click instead of being used after its end.
    wxWeakRef<GaugeValueSelector> m_selector;
    const TARNGaugeDesc* m_desc = nullptr;
    wxFont m_baseFont;       // the control's own font, the title and units scale it
    int m_digitPoints = 1;   // size at which the description's whole range fits
    wxFont m_digitFont;      // the digits' face at m_digitPoints
    wxRect m_valueBox;       // room for the digits
    AlarmState m_alarm;
    bool m_night = false;
    wxTimer m_flashTimer;
    wxTimer m_peaksTimer;

    wxDECLARE_CLASS(TarnGaugeDigital);
    wxDECLARE_NO_COPY_CLASS(TarnGaugeDigital);
    wxDECLARE_EVENT_TABLE();
};
