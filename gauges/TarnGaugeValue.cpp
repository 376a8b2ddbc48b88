// The moving parts: value, pointer triangle, readout, and the paint handler
// that puts them over the cached dial.
#include "base/DebugLog.h"
#include "base/StderrTrace.h"
#include "gaugemodel/NumberFormat.h"
#include "gaugemodel/TARNGaugeDesc.h"
#include "gauges/TarnGauge.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include <cmath>

namespace {
// What the readout shows when there is no value.
const char* const kNoValueText = "---";
// Readout and pointer of a stale value.
const wxColour kStaleColour(128, 128, 128);
} // namespace

void TarnGauge::SetValue(double value)
{
    if (!m_gd) {
        StderrTrace("m_gd is NULL! \n");
        return;
    }
    const bool tracing = DebugLogEnabled();
    if (tracing)
        DebugLog(0, wxString::Format("call SetValue(%f)", value));
    if (std::isnan(value)) {
        if (m_hasValue || m_valueText.empty()) {
            m_hasValue = false;
            UpdateGaugeValue();
        }
        return;
    }
    const double minValue = m_gd->getMinValue();
    const double maxValue = m_gd->getMaxValue();
    if (value > maxValue)
        value = maxValue;
    if (value < minValue)
        value = minValue;
    if (tracing)
        DebugLog(0, wxString::Format("using value : %f)", value));
    // NaN compares false with both limits and is dropped here.
    if (value >= minValue && value <= maxValue && (value != m_value || !m_hasValue)) {
        m_value = value;
        m_hasValue = true;
        UpdatePointer();
        UpdateGaugeValue();
    }
}

void TarnGauge::SetStale(bool stale)
{
    if (stale == m_stale)
        return;
    m_stale = stale;
    RefreshValueArea();
}

void TarnGauge::RefreshValueArea()
{
    const DialBox pointer = InflateBox(PointsBox(m_points, m_dial.cx, m_dial.cy), 1);
    if (!pointer.IsEmpty())
        RefreshRect(wxRect(pointer.x, pointer.y, pointer.width, pointer.height), false);
    const wxSize size = MeasureText(m_valueText);
    if (size.x > 0 && size.y > 0)
        RefreshRect(wxRect(m_valueX, m_valueY, size.x, size.y), false);
}

void TarnGauge::RefreshSymbol(const ValueMap& values)
{
    const wxString name = GetSymbolName();
    ValueMap::const_iterator it = values.find(name);
    if (it != values.end()) {
        SetValue(it->second);
        if (DebugLogEnabled())
            DebugLog(0, wxString::Format("refresh symbol : %s = %f", name, it->second));
    } else if (DebugLogEnabled()) {
        DebugLog(0, wxString::Format("symbol : %s not found", name));
    }
}

wxString TarnGauge::GetSymbolName()
{
    return m_gd ? m_gd->getSymbolName() : wxString();
}

void TarnGauge::UpdatePointer()
{
    DebugLog(0, "TarnGauge::UpdatePointer() START");
    UpdatePointerPoints(true);
    DebugLog(0, "TarnGauge::UpdatePointer() END");
}

void TarnGauge::UpdatePointerPoints(bool invalidate)
{
    const DialBox oldBox = PointsBox(m_points, m_dial.cx, m_dial.cy);
    if (m_gd) {
        const double angle = ValueToAngle(m_value, m_gd->getMinValue(), m_gd->getMaxValue(),
                                          m_gd->getStartAngle(), m_gd->getSweepAngle());
        m_points = PointerTriangle(angle, m_dial.hubRadius, m_dial.pointerLength);
    }
    if (!invalidate)
        return;
    const DialBox box = InflateBox(UnionBox(oldBox, PointsBox(m_points, m_dial.cx, m_dial.cy)), 1);
    if (!box.IsEmpty())
        RefreshRect(wxRect(box.x, box.y, box.width, box.height), false);
}

wxSize TarnGauge::MeasureText(const wxString& text)
{
    if (text.empty())
        return wxSize(0, 0);
    wxClientDC dc(this);
    if (m_font.IsOk())
        dc.SetFont(m_font);
    return dc.GetTextExtent(text);
}

void TarnGauge::UpdateGaugeValue()
{
    DebugLog(0, "TarnGauge::UpdateGaugeValue() START");
    const wxSize oldSize = MeasureText(m_valueText);
    const DialBox oldBox{m_valueX, m_valueY, oldSize.x, oldSize.y};

    // The format is chosen from the span, never taken from the file.
    m_valueText = m_hasValue ? FormatNumber(m_gd->valueFormat(), m_value) : wxString(kNoValueText);
    const wxSize size = MeasureText(m_valueText);
    m_valueX = m_dial.cx - size.x / 2;
    m_valueY = TruncToInt(m_dial.cy + m_dial.valueOffset - (size.y / 2));

    const DialBox box = UnionBox(oldBox, DialBox{m_valueX, m_valueY, size.x, size.y});
    if (!box.IsEmpty())
        RefreshRect(wxRect(box.x, box.y, box.width, box.height), false);
    DebugLog(0, "TarnGauge::UpdateGaugeValue() END");
}

void TarnGauge::OnPaint(wxPaintEvent&)
{
    DebugLog(0, "TarnGauge::OnPaint START");
    wxBufferedPaintDC dc(this);
    // Only the invalidated boxes reach the screen (a moving pointer's, a
    // changed readout's): the rest of the dial need not be drawn again.
    const wxRect invalid = GetUpdateClientRect();
    if (!invalid.IsEmpty())
        dc.SetClippingRegion(invalid);
    PaintTo(dc);
    DebugLog(0, "TarnGauge::OnPaint END");
}

void TarnGauge::PaintTo(wxDC& dc)
{
    dc.SetBackground(wxBrush(GetBackgroundColour(), wxBRUSHSTYLE_SOLID));
    dc.Clear();
    if (m_needRebuild) {
        CalculateSize();
        paintGaugeBg(63);
        m_needRebuild = false;
    }
    // Only the triangle is brought up to date here: the whole client area is
    // being painted anyway, and invalidating from inside a paint would queue
    // the next paint, and so on forever.
    UpdatePointerPoints(false);

    const wxSize area = LayerArea();
    if (area.x > 0 && area.y > 0) {
        wxMemoryDC face;
        face.SelectObjectAsSource(m_faceBitmap);
        dc.Blit(0, 0, area.x, area.y, &face, 0, 0);
    }
    if (m_dial.radius <= 0)
        return; // no face: nothing to write on

    dc.SetFont(m_font);
    dc.SetTextForeground(*wxWHITE);
    dc.SetTextBackground(m_faceColour);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    UpdateTitle(dc);
    if (m_gd) {
        dc.DrawText(m_titleText, m_titleX, m_titleY);
        if (m_stale)
            dc.SetTextForeground(kStaleColour);
        dc.DrawText(m_valueText, m_valueX, m_valueY);
        if (!m_nameText.empty()) {
            dc.SetFont(m_nameFont);
            dc.DrawText(m_nameText, m_nameRect.x, m_nameRect.y);
            dc.SetFont(m_font);
        }

        if (m_stale) {
            dc.SetPen(wxPen(kStaleColour, 1, wxPENSTYLE_SOLID));
            dc.SetBrush(wxBrush(kStaleColour, wxBRUSHSTYLE_SOLID));
        } else {
            dc.SetPen(m_pointerPen);
            dc.SetBrush(m_pointerBrush);
        }
        wxPoint points[3];
        for (int i = 0; i < 3; ++i)
            points[i] = wxPoint(m_points[i].x, m_points[i].y);
        dc.DrawPolygon(3, points, m_dial.cx, m_dial.cy, wxODDEVEN_RULE);
    }
    dc.SetPen(wxNullPen);
    dc.SetBrush(wxNullBrush);
}
