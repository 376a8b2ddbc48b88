#include "gauges/GaugeChoiceEvent.h"

#include <wx/window.h>

wxDEFINE_EVENT(EVT_GAUGE_DESC_CHOSEN, wxCommandEvent);

void SendGaugeDescChosen(wxWindow* gauge, int index)
{
    wxCommandEvent event(EVT_GAUGE_DESC_CHOSEN, gauge->GetId());
    event.SetEventObject(gauge);
    event.SetInt(index);
    gauge->ProcessWindowEvent(event);
}
