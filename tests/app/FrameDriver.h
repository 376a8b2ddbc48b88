#pragma once
// Drives the main frame as the user and its timer would, for tests and
// benchmarks of the whole dashboard.
#include "app/EcuSession.h"
#include "app/MainFrame.h"
#include "app/ReplaySession.h"

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

// The replay of the File input; null with another input.
inline LogReplay* ReplayOf(MainFrame* frame)
{
    ReplaySession* session = dynamic_cast<ReplaySession*>(frame->GetSession());
    return session ? &session->GetReplay() : nullptr;
}

// The recording of the ECU input; null with another input.
inline const LiveRecording* RecordingOf(MainFrame* frame)
{
    const EcuSession* session = dynamic_cast<const EcuSession*>(frame->GetSession());
    return session ? &session->GetRecording() : nullptr;
}
