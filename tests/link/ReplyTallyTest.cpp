// The share of refused replies among the last 100.
#include "link/ReplyTally.h"

#include <gtest/gtest.h>

#include <string>

TEST(ReplyTally, RefusedShareOfTheLastHundred)
{
    // t: taken, r: refused, w: the newest taken is withdrawn; counts repeat.
    struct Case {
        const char* label;
        std::string steps;
        int replies;
        int percent;
    };
    const auto repeat = [](char step, int n) { return std::string(static_cast<size_t>(n), step); };
    const Case cases[] = {
        {"none yet", "", 0, 0},
        {"those not come yet count as taken", "r", 1, 1},
        {"6 of the first 10", "rrrrrrtttt", 10, 6},
        {"a withdrawn block counts as refused", "ttw", 2, 1},
        {"withdrawn before anything was taken", "w", 1, 1},
        {"both", "rtw", 2, 2},
        {"6 of 100", repeat('r', 6) + repeat('t', 94), 100, 6},
        {"the oldest drop out", repeat('r', 6) + repeat('t', 95), 100, 5},
        {"all refused ones dropped out", repeat('r', 50) + repeat('t', 100), 100, 0},
        {"the ring wraps more than once", repeat('t', 250) + repeat('r', 3), 100, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ReplyTally tally;
        for (char step : c.steps) {
            if (step == 't')
                tally.taken();
            else if (step == 'r')
                tally.refused();
            else
                tally.withdrawn();
        }
        EXPECT_EQ(tally.replies(), c.replies);
        EXPECT_EQ(tally.refusedPercent(), c.percent);
    }
}
