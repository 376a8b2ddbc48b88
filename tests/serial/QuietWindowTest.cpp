// The quiet window that ends a reply without a check byte: never shorter
// than chosen, wider than the largest recent gap, wider still after bytes
// came late, and back once the gaps are forgotten.
#include "serial/QuietWindow.h"

#include <gtest/gtest.h>

#include <vector>

using namespace std::chrono_literals;

TEST(QuietWindow, WiderThanTheLargestRecentGap)
{
    struct Case {
        const char* label;
        int least;
        std::vector<std::chrono::nanoseconds> gaps;
        int want;
    };
    const Case cases[] = {
        {"nothing learned", 20, {}, 20},
        {"a native port, byte by byte", 20, {1040us, 1100us}, 20},
        {"gaps up to the least window's reach", 20, {12ms}, 20},
        {"just past it", 20, {13ms}, 21},
        {"16 ms USB packets", 20, {16ms, 3ms}, 25},
        {"rounded up to whole milliseconds", 20, {16100us}, 27},
        {"the largest counts, not the last", 20, {30ms, 0ms, 16ms}, 46},
        {"a wider least window", 50, {16ms}, 50},
        {"a narrower one", 5, {2ms}, 5},
        {"clamped at the longest", 20, {5s}, kLongestQuietMs},
        {"least clamped at both ends", 0, {}, 1},
        {"least clamped at both ends", 99999, {}, kLongestQuietMs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        QuietWindow window(c.least);
        for (auto gap : c.gaps)
            window.learn(gap);
        EXPECT_EQ(window.ms(), c.want);
    }
}

TEST(QuietWindow, LateBytesWidenItAndOldGapsAreForgotten)
{
    QuietWindow window;
    window.lateBytes();
    EXPECT_EQ(window.ms(), 31) << "the pause was at least the 20 ms window";
    window.lateBytes();
    EXPECT_EQ(window.ms(), 48);
    for (int reply = 1; reply < QuietWindow::kRemembered; ++reply)
        window.learn(0ns);
    EXPECT_EQ(window.ms(), 48) << "still among the last replies";
    window.learn(0ns);
    EXPECT_EQ(window.ms(), kShortestQuietMs);
}
