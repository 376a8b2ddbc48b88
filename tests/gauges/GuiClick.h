#pragma once
// Real mouse clicks through the X test extension, for the gauge GUI tests.
#include "tests/support/WaitFor.h"

#include <wx/eventfilter.h>
#include <wx/listbox.h>
#include <wx/uiaction.h>
#include <wx/utils.h>
#include <wx/window.h>

// Moves the pointer to `screen`, waits until it is there, and clicks.
inline bool ClickAtScreen(const wxPoint& screen)
{
    wxUIActionSimulator sim;
    sim.MouseMove(screen);
    if (!WaitFor([&] { return wxGetMousePosition() == screen; }))
        return false;
    wxYield();
    return sim.MouseClick();
}

// Moves the pointer to `screen`, over one of the application's own drawn
// windows (a native list reports motion in its inner coordinates), and waits
// until the application has handled that motion. The display hands input over
// in the order it was sent: every key and click `sim` (or a simulator already
// gone) sent before has been dispatched by then.
inline bool PointerArrivesAt(wxUIActionSimulator& sim, const wxPoint& screen)
{
    struct MotionSeen : wxEventFilter {
        wxPoint at;
        bool seen = false;
        int FilterEvent(wxEvent& event) override
        {
            if (event.GetEventType() != wxEVT_MOTION)
                return Event_Skip;
            // Not every event object is a window: dynamic_cast, never a static one.
            wxWindow* win = dynamic_cast<wxWindow*>(event.GetEventObject());
            if (win)
                seen = seen || win->ClientToScreen(static_cast<wxMouseEvent&>(event).GetPosition()) == at;
            return Event_Skip;
        }
    } motion;
    motion.at = screen;
    wxEvtHandler::AddFilter(&motion);
    if (wxGetMousePosition() == screen)
        sim.MouseMove(screen + wxPoint(1, 0)); // no motion without a move
    sim.MouseMove(screen);
    const bool arrived = WaitFor([&] { return motion.seen; });
    wxEvtHandler::RemoveFilter(&motion);
    return arrived;
}

// Clicks the client point `at` of `win` (its centre by default).
inline bool ClickOn(wxWindow* win, wxPoint at = wxDefaultPosition)
{
    if (at == wxDefaultPosition)
        at = wxPoint(win->GetClientSize().x / 2, win->GetClientSize().y / 2);
    return ClickAtScreen(win->ClientToScreen(at));
}

// Waits until `win` is mapped on the display, so clicks reach it.
inline bool WaitShownOnScreen(wxWindow* win)
{
    return WaitFor([win] { return win->IsShownOnScreen(); });
}

// Centre of row `row` of `list` in its client coordinates, found by hit tests
// (the row height is the toolkit's); y is -1 when the row is not visible.
inline wxPoint RowCentre(wxListBox* list, int row)
{
    int first = -1, last = -1;
    for (int y = 0; y < list->GetClientSize().y; ++y) {
        if (list->HitTest(wxPoint(20, y)) == row) {
            if (first < 0)
                first = y;
            last = y;
        }
    }
    return wxPoint(40, first < 0 ? -1 : (first + last) / 2);
}
