// The digital gauge's colours: alarms, stale and doubtful values, the
// danger flash, night colours, and the peaks shown in place of the title.
#include "gauges/TarnGaugeDigital.h"

#include "gaugemodel/TARNGaugeDesc.h"
#include "gauges/PaletteColour.h"
#include "gauges/wxStaticTextEx.h"

wxColour TarnGaugeDigital::GetValueColour() const
{
    const Palette& palette = PaletteFor(m_night);
    return Colour(m_alarm.Colour(palette, palette.digits));
}

void TarnGaugeDigital::ApplyValueColour()
{
    const wxColour colour = GetValueColour();
    if (m_valueText->GetForegroundColour() != colour) {
        m_valueText->SetForegroundColour(colour);
        m_valueText->Refresh();
    }
    if (m_alarm.Flashing() && !m_flashTimer.IsRunning())
        m_flashTimer.Start(AlarmState::kFlashHalfMs);
    else if (!m_alarm.Flashing() && m_flashTimer.IsRunning())
        m_flashTimer.Stop();
}

void TarnGaugeDigital::ApplyPalette()
{
    const Palette& palette = PaletteFor(m_night);
    SetBackgroundColour(Colour(palette.background));
    m_titleText->SetForegroundColour(Colour(palette.title));
    m_unitsText->SetForegroundColour(Colour(palette.units));
    for (wxWindow* text : {(wxWindow*)m_titleText, (wxWindow*)m_valueText, (wxWindow*)m_unitsText})
        text->SetBackgroundColour(Colour(palette.background));
    ApplyValueColour();
    Refresh();
}

void TarnGaugeDigital::SetStale(bool stale)
{
    if (m_alarm.SetStale(stale))
        ApplyValueColour();
}

void TarnGaugeDigital::SetDoubtful(bool doubtful)
{
    if (m_alarm.SetDoubtful(doubtful))
        ApplyValueColour();
}

void TarnGaugeDigital::SetNight(bool night)
{
    if (night == m_night)
        return;
    m_night = night;
    ApplyPalette();
}

void TarnGaugeDigital::OnFlash(wxTimerEvent&)
{
    if (m_alarm.ToggleFlash())
        ApplyValueColour();
    else
        m_flashTimer.Stop();
}

void TarnGaugeDigital::TakeAlarmBounds()
{
    m_alarm.SetBounds(AlarmBoundsOf(*m_desc));
    ApplyValueColour();
    if (m_peaksTimer.IsRunning()) {
        m_peaksTimer.Stop();
        m_titleText->SetLabelText(m_desc->getTitle());
    }
}

void TarnGaugeDigital::ShowPeaks()
{
    if (!m_desc)
        return;
    const wxString text = m_alarm.Peaks().Text(m_desc->valueFormat());
    m_titleText->SetLabelText(text.empty() ? wxString("max -/min -") : text);
    m_peaksTimer.StartOnce(kPeaksShownMs);
}

void TarnGaugeDigital::OnPeaksTimer(wxTimerEvent&)
{
    if (m_desc)
        m_titleText->SetLabelText(m_desc->getTitle());
}

void TarnGaugeDigital::ResetPeaks()
{
    m_alarm.Peaks().Reset();
    if (m_peaksTimer.IsRunning())
        ShowPeaks();
}

void TarnGaugeDigital::SetGaugeDescArray(const GaugeDescList* descs, int i)
{
    m_chooser.SetList(descs);
    m_desc = nullptr;
    m_defGaugeId = -1;
    SetDefaultGaugeDesc(i);
}
