#pragma once
// Lets the event loop run until `condition` holds or `ms` (scaled) have passed.
#include "tests/support/TestTime.h"

#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <functional>

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
