#include "gauges/IndicatorRow.h"

#include "dispatch/RTDataMgr.h"
#include "gauges/PaletteColour.h"

#include <wx/dcbuffer.h>

#include <algorithm>

namespace {

// The largest font, down to 5 points, at which `text` fits `room`.
wxFont FittingFont(wxDC& dc, const wxFont& base, const wxString& text, const wxSize& room)
{
    wxFont font = base;
    for (int points = std::max(5, room.y * 3 / 5); points >= 5; --points) {
        font.SetPointSize(points);
        dc.SetFont(font);
        const wxSize extent = dc.GetTextExtent(text);
        if (extent.x <= room.x && extent.y <= room.y + 2)
            break;
    }
    return font;
}

} // namespace

IndicatorRow::IndicatorRow(wxWindow* parent, const std::vector<Indicator>* lamps)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE, "indicators"),
      m_lamps(lamps), m_states(lamps ? lamps->size() : 0, LampState::NoValue)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &IndicatorRow::OnPaint, this);
}

void IndicatorRow::SetGrid(int columns, int rows)
{
    columns = std::max(1, columns);
    rows = std::max(1, rows);
    if (columns == m_columns && rows == m_rows)
        return;
    m_columns = columns;
    m_rows = rows;
    Refresh();
}

void IndicatorRow::SetNight(bool night)
{
    if (night == m_night)
        return;
    m_night = night;
    Refresh();
}

void IndicatorRow::TakeValues(RTDataMgr* input, bool stale)
{
    if (!m_lamps)
        return;
    std::vector<LampState> states(m_lamps->size(), LampState::NoValue);
    if (input && !stale)
        for (size_t i = 0; i < states.size(); ++i)
            states[i] = LampStateOf(input->ExpressionValue((*m_lamps)[i].expression));
    if (states == m_states)
        return;
    m_states = states;
    Refresh();
}

std::vector<int> IndicatorRow::ShownLamps() const
{
    return LampsShown(m_states, m_columns * m_rows);
}

void IndicatorRow::OnPaint(wxPaintEvent&)
{
    const Palette& palette = PaletteFor(m_night);
    wxBufferedPaintDC dc(this);
    dc.SetBackground(wxBrush(Colour(palette.background)));
    dc.Clear();
    if (!m_lamps)
        return;
    const wxSize size = GetClientSize();
    const std::vector<int> shown = ShownLamps();
    const wxFont base = GetFont();
    for (size_t cell = 0; cell < shown.size(); ++cell) {
        const Indicator& lamp = (*m_lamps)[shown[cell]];
        const LampState state = m_states[shown[cell]];
        const int col = int(cell) % m_columns, row = int(cell) / m_columns;
        const int x0 = col * size.x / m_columns, x1 = (col + 1) * size.x / m_columns;
        const int y0 = row * size.y / m_rows, y1 = (row + 1) * size.y / m_rows;
        const wxRect box(x0 + 1, y0 + 1, std::max(0, x1 - x0 - 2), std::max(0, y1 - y0 - 2));
        const LampLook look = LampLookOf(palette, lamp, state);
        dc.SetPen(wxPen(Colour(palette.lampBorder)));
        dc.SetBrush(wxBrush(Colour(look.back)));
        dc.DrawRectangle(box);
        const wxString& text = state == LampState::On ? lamp.onText : lamp.offText;
        if (text.empty() || box.width < 4 || box.height < 4)
            continue;
        const wxSize room(box.width - 4, box.height - 2);
        dc.SetFont(FittingFont(dc, base, text, room));
        dc.SetTextForeground(Colour(look.text));
        dc.SetClippingRegion(box);
        const wxSize extent = dc.GetTextExtent(text);
        dc.DrawText(text, box.x + (box.width - extent.x) / 2, box.y + (box.height - extent.y) / 2);
        dc.DestroyClippingRegion();
    }
}
