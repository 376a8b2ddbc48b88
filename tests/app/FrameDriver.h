#pragma once
// Drives the main frame as the user and its timer would, for tests and
// benchmarks of the whole dashboard.
#include "app/MainFrame.h"

#include <wx/menu.h>
#include <wx/timer.h>

// Chooses an input through its "Select Input" item.
inline void SelectInput(MainFrame* frame, long id)
{
    frame->GetMenuBar()->Check(id, true);
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetInt(1);
    frame->ProcessWindowEvent(event);
}

// One refresh tick, at once rather than when the timer fires.
inline void Tick(MainFrame* frame)
{
    wxTimerEvent event(frame->GetTimer());
    frame->ProcessWindowEvent(event);
}
