// The dial's colours: alarms on the readout, stale and doubtful values, the
// danger flash, night colours and the peak mark on the scale.
#include "gauges/TarnGauge.h"

#include "gaugemodel/TARNGaugeDesc.h"
#include "gauges/PaletteColour.h"

#include <wx/dc.h>

#include <algorithm>

wxColour TarnGauge::GetReadoutColour() const
{
    const Palette& palette = PaletteFor(m_night);
    return Colour(m_alarm.Colour(palette, palette.dialText));
}

void TarnGauge::ApplyPalette()
{
    const Palette& palette = PaletteFor(m_night);
    SetFaceColour(Colour(palette.dialFace));
    SetPointerColour(Colour(palette.pointer));
    SetScaleColour(Colour(palette.dialScale));
    SetHubColour(Colour(palette.hub));
    SetBackgroundColour(Colour(palette.dialSurround));
}

void TarnGauge::SetNight(bool night)
{
    if (night == m_night)
        return;
    m_night = night;
    ApplyPalette();
    m_needRebuild = true;
    Refresh(false);
}

void TarnGauge::SetDoubtful(bool doubtful)
{
    if (!m_alarm.SetDoubtful(doubtful))
        return;
    RefreshValueArea();
    UpdateFlashTimer();
}

void TarnGauge::UpdateFlashTimer()
{
    if (m_alarm.Flashing() == m_flashTimer.IsRunning())
        return;
    if (m_alarm.Flashing())
        m_flashTimer.Start(AlarmState::kFlashHalfMs);
    else
        m_flashTimer.Stop();
}

void TarnGauge::OnFlash(wxTimerEvent&)
{
    if (!m_alarm.ToggleFlash()) {
        m_flashTimer.Stop();
        return;
    }
    // The readout alone: the pointer keeps its colour.
    if (m_valueSize.x > 0 && m_valueSize.y > 0)
        RefreshRect(wxRect(m_valueX, m_valueY, m_valueSize.x, m_valueSize.y), false);
}

void TarnGauge::TakeAlarmBounds()
{
    const DialBox oldMark = PeakMarkBox();
    m_alarm.SetBounds(m_gd ? AlarmBoundsOf(*m_gd) : AlarmBounds());
    UpdateFlashTimer();
    if (!oldMark.IsEmpty())
        RefreshRect(wxRect(oldMark.x, oldMark.y, oldMark.width, oldMark.height), false);
}

void TarnGauge::ResetPeaks()
{
    const DialBox oldMark = InflateBox(PeakMarkBox(), 1);
    m_alarm.Peaks().Reset();
    if (!oldMark.IsEmpty())
        RefreshRect(wxRect(oldMark.x, oldMark.y, oldMark.width, oldMark.height), false);
}

bool TarnGauge::PeakMark(DialPoint* inner, DialPoint* outer) const
{
    if (!m_gd || !m_alarm.Peaks().HasPeaks() || m_dial.radius <= 0)
        return false;
    // Past the end of the scale the mark stays at the end, as the pointer does.
    const double peak =
        std::clamp(m_alarm.Peaks().Max(), m_gd->getMinValue(), std::max(m_gd->getMinValue(), m_gd->getMaxValue()));
    const double angle = ValueToAngle(peak, m_gd->getMinValue(), m_gd->getMaxValue(),
                                      m_gd->getStartAngle(), m_gd->getSweepAngle());
    // Across the band ring, from inside the ticks to the rim of the face.
    *inner = PointAt(0, 0, 0.8 * m_dial.radius, angle);
    *outer = PointAt(0, 0, m_dial.radius, angle);
    return true;
}

DialBox TarnGauge::PeakMarkBox() const
{
    DialPoint inner, outer;
    if (!PeakMark(&inner, &outer))
        return DialBox();
    const std::array<DialPoint, 3> ends{inner, outer, outer};
    return InflateBox(PointsBox(ends, m_dial.cx, m_dial.cy), kPeakMarkWidth);
}

void TarnGauge::DrawPeakMark(wxDC& dc)
{
    DialPoint inner, outer;
    if (!PeakMark(&inner, &outer))
        return;
    dc.SetPen(wxPen(Colour(PaletteFor(m_night).peakMark), kPeakMarkWidth, wxPENSTYLE_SOLID));
    dc.DrawLine(m_dial.cx + inner.x, m_dial.cy + inner.y, m_dial.cx + outer.x,
                m_dial.cy + outer.y);
}

void TarnGauge::SetGaugeDescArray(const GaugeDescList* list, int index)
{
    m_gd = nullptr;
    SetGaugeDescArray(list);
    SetDefaultGaugeDesc(index);
    m_needRebuild = true;
    Refresh(false);
}
