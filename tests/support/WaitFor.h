#pragma once
// Lets the event loop run until `condition` holds or `ms` (scaled) have passed.
#include "tests/support/TestTime.h"

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>
#include <wx/utils.h>

#include <functional>
#include <memory>

inline bool WaitFor(const std::function<bool()>& condition, long ms = 3000)
{
    ms = TestTime::scaled(ms);
    wxStopWatch watch;
    while (watch.Time() < ms) {
        if (condition())
            return true;
        wxYield();
        wxMilliSleep(5);
    }
    return condition();
}

// Runs the event loop until everything queued so far has been handled: a
// sentinel queued now is handled after it. What a test asserts did not happen
// has then had its chance to happen.
inline bool WaitForQueuedEvents(long ms = 3000)
{
    auto reached = std::make_shared<bool>(false);
    wxTheApp->CallAfter([reached] { *reached = true; });
    return WaitFor([reached] { return *reached; }, ms);
}

// Runs the event loop until a timer of `periodMs` has fired `ticks` times and
// what was queued by then has been handled: any timer of that period that is
// still running has fired meanwhile too.
inline bool WaitForTimerTicks(int periodMs, int ticks)
{
    int fired = 0;
    wxTimer probe;
    probe.Bind(wxEVT_TIMER, [&fired](wxTimerEvent&) { ++fired; });
    probe.Start(periodMs);
    const bool ticked = WaitFor([&] { return fired >= ticks; }, long(periodMs) * ticks + 3000);
    probe.Stop();
    return ticked && WaitForQueuedEvents();
}
