#pragma once
// Lets the event loop run until `condition` holds or `ms` have passed.
#include <wx/app.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <functional>

inline bool WaitFor(const std::function<bool()>& condition, long ms = 3000)
{
    wxStopWatch watch;
    while (watch.Time() < ms) {
        if (condition())
            return true;
        wxYield();
        wxMilliSleep(5);
    }
    return condition();
}
