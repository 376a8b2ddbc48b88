// How fast a replay ticks: at the log's own rate, 30 frames a second at most.
#include "app/MenuIds.h"
#include "app/ReplaySession.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(ReplaySession, TicksAtTheLogsOwnRate)
{
    const struct {
        const char* label;
        double step; // seconds between records
        int faster;  // speed steps from x1 (negative: slower)
        int want;
    } cases[] = {
        {"50 Hz", 0.02, 0, ReplaySession::kFastestPeriodMs},
        {"20 Hz", 0.05, 0, 50},
        {"20 Hz at x2", 0.05, 1, ReplaySession::kFastestPeriodMs},
        {"20 Hz at x1/2", 0.05, -1, ReplaySession::kPeriodMs},
        {"10 Hz", 0.1, 0, ReplaySession::kPeriodMs},
        {"1 Hz", 1.0, 0, ReplaySession::kPeriodMs},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = dir.file("log.msl");
        {
            std::ofstream out(path);
            out << "\"fw\"\nTime\tRPM\ns\trpm\n";
            for (int i = 0; i < 50; ++i)
                out << i * c.step << "\t" << i << "\n";
        }
        ReplaySession session(wxString::FromUTF8(path), nullptr);
        ASSERT_TRUE(session.GetRefusal().empty()) << session.GetRefusal();
        for (int i = 0; i < c.faster; ++i)
            session.OnCommand(ID_REPLAY_FASTER, false);
        for (int i = 0; i > c.faster; --i)
            session.OnCommand(ID_REPLAY_SLOWER, false);
        EXPECT_EQ(session.GetPeriodMs(), c.want);
    }
}
