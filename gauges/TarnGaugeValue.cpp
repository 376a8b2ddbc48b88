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
// A value that is no finite number: a meter's overload.
const char* const kOverflowText = "OL";
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
    const double readout = value;
    const double minValue = m_gd->getMinValue();
    const double maxValue = m_gd->getMaxValue();
    if (value > maxValue)
        value = maxValue;
    if (value < minValue)
        value = minValue;
    if (tracing)
        DebugLog(0, wxString::Format("using value : %f)", value));
    if (m_hasValue && readout == m_readout)
        return;
    const bool moved = value != m_value || !m_hasValue;
    const DialBox oldMark = PeakMarkBox();
    m_value = value;
    m_readout = readout;
    m_hasValue = true;
    m_alarm.TakeValue(readout);
    if (moved)
        UpdatePointer();
    // The readout is invalidated as a whole, its colour with it.
    UpdateGaugeValue();
    const DialBox mark = PeakMarkBox();
    if (!(mark == oldMark)) {
        const DialBox box = InflateBox(UnionBox(oldMark, mark), 1);
        RefreshRect(wxRect(box.x, box.y, box.width, box.height), false);
    }
    UpdateFlashTimer();
}

void TarnGauge::SetStale(bool stale)
{
    if (!m_alarm.SetStale(stale))
        return;
    m_stale = stale;
    RefreshValueArea();
    UpdateFlashTimer();
}

void TarnGauge::RefreshValueArea()
{
    const DialBox pointer = InflateBox(PointsBox(m_points, m_dial.cx, m_dial.cy), 1);
    if (!pointer.IsEmpty())
        RefreshRect(wxRect(pointer.x, pointer.y, pointer.width, pointer.height), false);
    if (m_valueSize.x > 0 && m_valueSize.y > 0)
        RefreshRect(wxRect(m_valueX, m_valueY, m_valueSize.x, m_valueSize.y), false);
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
    const DialBox oldBox{m_valueX, m_valueY, m_valueSize.x, m_valueSize.y};
    const wxString oldText = m_valueText;

    // The format is chosen from the span, never taken from the file.
    if (!m_hasValue)
        m_valueText = kNoValueText;
    else if (!std::isfinite(m_readout))
        m_valueText = kOverflowText;
    else
        m_valueText = FormatNumber(m_gd->valueFormat(), m_readout);
    // Measuring opens a context on the window: only a new text is worth it.
    if (m_valueText != oldText || m_valueSize == wxSize(0, 0))
        m_valueSize = MeasureText(m_valueText);
    m_valueX = m_dial.cx - m_valueSize.x / 2;
    m_valueY = TruncToInt(m_dial.cy + m_dial.valueOffset - (m_valueSize.y / 2));

    const DialBox box = UnionBox(oldBox, DialBox{m_valueX, m_valueY, m_valueSize.x, m_valueSize.y});
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

    const Palette& palette = PaletteFor(m_night);
    const wxColour text(palette.dialText.red, palette.dialText.green, palette.dialText.blue);
    dc.SetFont(m_font);
    dc.SetTextForeground(text);
    dc.SetTextBackground(m_faceColour);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    UpdateTitle(dc);
    // Text wholly outside the box being painted (a flashing readout's) would
    // be laid out for nothing; a margin keeps any overhanging ink.
    wxRect clip;
    const bool clipped = dc.GetClippingBox(clip);
    const auto shows = [&](const wxRect& box) {
        return !clipped || clip.Intersects(wxRect(box).Inflate(m_dial.fontSize));
    };
    if (m_gd) {
        if (shows(wxRect(wxPoint(m_titleX, m_titleY), m_titleSize)))
            dc.DrawText(m_titleText, m_titleX, m_titleY);
        if (!m_nameText.empty() && shows(m_nameRect)) {
            dc.SetFont(m_nameFont);
            dc.DrawText(m_nameText, m_nameRect.x, m_nameRect.y);
            dc.SetFont(m_font);
        }
        dc.SetTextForeground(GetReadoutColour());
        dc.DrawText(m_valueText, m_valueX, m_valueY);
        DrawPeakMark(dc);

        if (m_stale) {
            const wxColour stale(palette.stale.red, palette.stale.green, palette.stale.blue);
            dc.SetPen(wxPen(stale, 1, wxPENSTYLE_SOLID));
            dc.SetBrush(wxBrush(stale, wxBRUSHSTYLE_SOLID));
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
