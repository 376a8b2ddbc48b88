#include "serial/QuietWindow.h"

#include <algorithm>

namespace {

// Half as long again as the gap: the line's pauses jitter by a few
// milliseconds, and so does the wake-up of whoever reads it.
int WindowAfterGap(int gapMs)
{
    return gapMs + (gapMs + 1) / 2 + 1;
}

} // namespace

QuietWindow::QuietWindow(int leastMs)
{
    setLeastMs(leastMs);
}

void QuietWindow::setLeastMs(int ms)
{
    least = std::clamp(ms, 1, kLongestQuietMs);
}

int QuietWindow::ms() const
{
    const int gap = *std::max_element(gapsMs.begin(), gapsMs.end());
    return std::min(std::max(least, gap > 0 ? WindowAfterGap(gap) : 0), kLongestQuietMs);
}

void QuietWindow::learn(std::chrono::nanoseconds gap)
{
    const auto rounded = std::chrono::ceil<std::chrono::milliseconds>(gap).count();
    gapsMs[static_cast<size_t>(next)] = static_cast<int>(std::min<long long>(rounded, kLongestQuietMs));
    next = (next + 1) % kRemembered;
}

void QuietWindow::lateBytes()
{
    learn(std::chrono::milliseconds(ms()));
}
