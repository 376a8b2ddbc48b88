#include "app/StatusStrip.h"

#include "gauges/PaletteColour.h"

#include <wx/control.h>
#include <wx/dcbuffer.h>

#include <algorithm>

namespace {
const int kMarkDiameter = 8;
const int kMargin = 3;
} // namespace

constexpr int StatusStrip::kStripHeight;

int StatusStrip::HeightFor(int parentClientHeight)
{
    return std::clamp(parentClientHeight / 20, kStripHeight, kTallestStrip);
}

StatusStrip::StatusStrip(wxWindow* parent)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(-1, kStripHeight), wxBORDER_NONE,
               "StatusStrip")
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetFont(wxFont(wxFontInfo(7).Family(wxFONTFAMILY_SWISS)));
    Bind(wxEVT_PAINT, &StatusStrip::OnPaint, this);
    parent->Bind(wxEVT_SIZE, &StatusStrip::OnParentSize, this);
    PlaceAtBottom();
}

wxColour StatusStrip::MarkColour(Mark mark) const
{
    const Palette& palette = PaletteFor(m_night);
    switch (mark) {
    case Mark::Good:
        return Colour(palette.markGood);
    case Mark::Busy:
        return Colour(palette.markBusy);
    case Mark::Bad:
        return Colour(palette.markBad);
    case Mark::Off:
        break;
    }
    return Colour(palette.markOff);
}

void StatusStrip::SetNight(bool night)
{
    if (night == m_night)
        return;
    m_night = night;
    Refresh(false);
}

void StatusStrip::SetStatus(Mark mark, const wxString& text)
{
    if (mark == m_mark && text == m_text)
        return;
    m_mark = mark;
    m_text = text;
    SetToolTip(text);
    Refresh(false);
}

void StatusStrip::OnParentSize(wxSizeEvent& event)
{
    event.Skip();
    PlaceAtBottom();
}

void StatusStrip::PlaceAtBottom()
{
    const wxSize client = GetParent()->GetClientSize();
    const int height = HeightFor(client.y);
    // The handheld's 7 points, in proportion.
    const int points = std::max(7, height / 2);
    if (GetFont().GetPointSize() != points)
        SetFont(wxFont(wxFontInfo(points).Family(wxFONTFAMILY_SWISS)));
    SetSize(0, client.y - height, client.x, height);
}

void StatusStrip::OnPaint(wxPaintEvent&)
{
    const Palette& palette = PaletteFor(m_night);
    wxBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(Colour(palette.background)));
    dc.Clear();
    const wxSize size = GetClientSize();
    const int middle = size.y / 2;
    const int diameter = std::max(kMarkDiameter, size.y * kMarkDiameter / kStripHeight / 2 * 2 - 4);
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(MarkColour(m_mark)));
    dc.DrawCircle(kMargin + diameter / 2, middle, diameter / 2);

    dc.SetFont(GetFont());
    dc.SetTextForeground(Colour(palette.stripText));
    const int x = kMargin * 2 + diameter;
    const wxString shown =
        wxControl::Ellipsize(m_text, dc, wxELLIPSIZE_START, size.x - x - 2 * kMargin);
    dc.DrawText(shown, x, middle - dc.GetCharHeight() / 2);
}
