#pragma once
// Sent by a gauge when the user switched the description it shows (through
// its value selector or its popup menu), so that the window holding the gauge
// can remember the choice. A command event: it travels up to the parents.
// GetInt() is the position of the new description, GetEventObject() the gauge.
#include <wx/event.h>

wxDECLARE_EVENT(EVT_GAUGE_DESC_CHOSEN, wxCommandEvent);

void SendGaugeDescChosen(wxWindow* gauge, int index);
