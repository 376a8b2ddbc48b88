#include "tests/soak/SoakFigures.h"

#include <gtest/gtest.h>

namespace {

ProcessSample Descriptors(long all, long terminals)
{
    ProcessSample sample;
    sample.rssKiB = 1000;
    sample.threads = 4;
    sample.descriptors = all;
    sample.terminals = terminals;
    return sample;
}

} // namespace

// The serial port closes on a hang-up until it reopens: its descriptor may be
// open at one sample and not at the other. Anything else that changes is a leak.
TEST(SoakFigures, OnlyThePortsOwnDescriptorMayComeAndGo)
{
    struct Case {
        const char* what;
        ProcessSample warm, end;
        bool missed;
    };
    const Case cases[] = {
        {"port open at both", Descriptors(6, 1), Descriptors(6, 1), false},
        {"port closed at the end", Descriptors(6, 1), Descriptors(5, 0), false},
        {"port closed at the warm-up", Descriptors(5, 0), Descriptors(6, 1), false},
        {"a file left open", Descriptors(5, 0), Descriptors(6, 0), true},
        {"two more terminals", Descriptors(5, 0), Descriptors(7, 2), true},
        {"a terminal for a file", Descriptors(6, 1), Descriptors(6, 0), true},
    };
    for (const Case& c : cases) {
        PhaseFigures phase;
        phase.name = c.what;
        phase.warm = c.warm;
        phase.end = c.end;
        phase.largestRssKiB = 1000;
        EXPECT_EQ(!MissedGoals(phase, SoakGoals()).empty(), c.missed) << c.what;
    }
}
