#include "datalog/DatalogLoader.h"
#include "datalog/LogReplay.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// Seven records; an 11 s gap behind a marker.
const char kTimedLog[] = "\"fw\"\nTime\tRPM\ns\trpm\n"
                         "0.0\t10\n0.1\t11\n0.2\t12\n0.5\t13\n1.0\t14\n"
                         "MARK 001 - Going Offline\n"
                         "12.0\t15\n12.1\t16\n";

// The dashboard's own format: one slot per line, ten of them.
std::string OwnLog()
{
    std::string log = "drive\nTime\tRPM\n";
    for (int i = 0; i < 10; ++i)
        log += std::to_string(i) + "\t" + std::to_string(100 * i) + "\n";
    return log;
}

// The record shown after each of `ticks` ticks of `seconds`.
std::vector<size_t> Play(LogReplay& replay, int ticks, double seconds = 0.1)
{
    std::vector<size_t> shown;
    for (int t = 0; t < ticks; ++t) {
        replay.Tick(seconds);
        shown.push_back(replay.GetRecord());
    }
    return shown;
}

void SetSpeed(LogReplay& replay, int stepsFromX1)
{
    for (; stepsFromX1 > 0; --stepsFromX1)
        replay.Faster();
    for (; stepsFromX1 < 0; ++stepsFromX1)
        replay.Slower();
}

} // namespace

TEST(LogReplay, PacedByTheTimeColumn)
{
    const auto log = DatalogLoader::FromBytes(kTimedLog, "t.msl");
    struct Case {
        int speedSteps;
        std::vector<size_t> want; // after each 100 ms tick
    };
    const Case cases[] = {
        {0, {0, 1, 2, 2, 2, 3, 3, 3, 3, 3, 4, 4}},
        {-1, {0, 0, 1, 1, 2, 2, 2, 2, 2, 2, 3, 3}},
        {-2, {0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2}},
        {1, {0, 2, 2, 3, 3, 4, 4, 4, 4, 4, 4, 4}},
        {3, {0, 3, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speedSteps);
        LogReplay replay(*log);
        EXPECT_EQ(replay.GetPacing(), LogReplay::Pacing::ByTime);
        SetSpeed(replay, c.speedSteps);
        EXPECT_FALSE(replay.HasRecord());
        EXPECT_EQ(Play(replay, static_cast<int>(c.want.size())), c.want);
    }
    // Elapsed time drives it, not the number of ticks.
    LogReplay replay(*log);
    EXPECT_EQ(Play(replay, 3, 0.25), (std::vector<size_t>{0, 2, 3}));
}

TEST(LogReplay, PacedByTickOneLinePerTickAtX1)
{
    const auto log = DatalogLoader::FromBytes(OwnLog(), "datalog.log");
    struct Case {
        int speedSteps;
        std::vector<size_t> want;
    };
    const Case cases[] = {
        {0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 9, 9}},
        {-2, {0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2}},
        {-1, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5}},
        {1, {0, 2, 4, 6, 8, 9, 9, 9, 9, 9, 9, 9}},
        {3, {0, 8, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.speedSteps);
        LogReplay replay(*log);
        EXPECT_EQ(replay.GetPacing(), LogReplay::Pacing::ByTick); // its Time column plays no part
        SetSpeed(replay, c.speedSteps);
        // Odd elapsed times change nothing: ticks count.
        EXPECT_EQ(Play(replay, static_cast<int>(c.want.size()), 0.037), c.want);
    }
}

TEST(LogReplay, PauseSeekAndEnd)
{
    const auto log = DatalogLoader::FromBytes(kTimedLog, "t.msl");
    LogReplay replay(*log);
    EXPECT_EQ(replay.GetPositionText(), "0:00 / 0:12");
    replay.Tick(0.1);
    replay.Tick(0.1);
    EXPECT_EQ(replay.GetRecord(), 1u);
    replay.TogglePause();
    EXPECT_EQ(Play(replay, 5), (std::vector<size_t>(5, 1)));
    replay.Resume();
    EXPECT_EQ(Play(replay, 1), (std::vector<size_t>{2}));

    struct Step {
        double seek; // seconds; 0 = back to the start
        size_t want;
    };
    const Step steps[] = {
        {10, 4},  // the last record within 10 s: 1.0
        {10, 5},  // 11.0 lies in the gap: a seek moves at least one record
        {10, 6},  // and never past the last
        {10, 6},
        {-10, 4}, // back to 2.1 s and before: 1.0
        {-10, 0}, // nothing at -9.0 or before: the first record
        {0, 0},
        {-10, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.seek);
        if (step.seek == 0)
            replay.SeekToStart();
        else
            replay.SeekBy(step.seek);
        EXPECT_EQ(replay.GetRecord(), step.want);
    }

    replay.SeekBy(10);
    EXPECT_FALSE(replay.IsAtEnd());
    replay.Tick(10.0); // the gap is waited for: 11 s behind the marker
    EXPECT_EQ(replay.GetRecord(), 4u);
    EXPECT_TRUE(replay.GetPassedMarkers().empty());
    replay.Tick(1.0);
    EXPECT_EQ(replay.GetRecord(), 5u);
    EXPECT_EQ(replay.GetPassedMarkers(), (std::vector<size_t>{0}));
    replay.Tick(5.0);
    EXPECT_TRUE(replay.IsAtEnd());
    EXPECT_EQ(Play(replay, 3, 5.0), (std::vector<size_t>(3, 6))); // stops there, no loop
    EXPECT_DOUBLE_EQ(replay.GetPositionSeconds(), replay.GetTotalSeconds());
    EXPECT_EQ(replay.GetPositionText(), "0:12 / 0:12");
    replay.SeekBy(-10);
    EXPECT_FALSE(replay.IsAtEnd());
}

TEST(LogReplay, SpeedsAndDurations)
{
    const auto log = DatalogLoader::FromBytes(kTimedLog, "t.msl");
    LogReplay replay(*log);
    EXPECT_EQ(replay.GetSpeedText(), "x1");
    const char* faster[] = {"x2", "x4", "x8"};
    for (const char* text : faster) {
        EXPECT_TRUE(replay.Faster());
        EXPECT_EQ(replay.GetSpeedText(), text);
    }
    EXPECT_FALSE(replay.Faster());
    EXPECT_EQ(replay.GetSpeed(), 8.0);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(replay.Slower());
    EXPECT_EQ(replay.GetSpeedText(), "x1/4");
    EXPECT_FALSE(replay.Slower());

    struct Case {
        double seconds;
        const char* want;
    };
    const Case cases[] = {{0, "0:00"}, {59.99, "0:59"}, {60, "1:00"}, {3599, "59:59"},
                          {3725, "1:02:05"}, {-3, "0:00"}, {NAN, "0:00"}};
    for (const Case& c : cases)
        EXPECT_EQ(LogReplay::FormatDuration(c.seconds), c.want) << c.seconds;
}

TEST(LogReplay, LogsThatCannotBePacedByTime)
{
    struct Case {
        const char* label;
        std::string bytes;
        size_t records;
    };
    const Case cases[] = {
        {"time stands still", "\"t\"\nTime\tRPM\n5\t1\n5\t2\n5\t3\n", 3},
        {"no time column", "\"t\"\nRPM\n1\n2\n3\n", 3},
        {"one record", "\"t\"\nTime\tRPM\n1\t2\n", 1},
        {"no records", "\"t\"\nTime\tRPM\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const auto log = DatalogLoader::FromBytes(c.bytes, "x");
        LogReplay replay(*log);
        replay.SetPacing(LogReplay::Pacing::ByTime);
        EXPECT_EQ(replay.GetPacing(), LogReplay::Pacing::ByTick);
        Play(replay, 2, 100.0);
        EXPECT_EQ(replay.HasRecord(), c.records > 0);
        if (c.records > 0) {
            EXPECT_EQ(replay.GetRecord(), std::min<size_t>(1, c.records - 1));
        }
        replay.SeekBy(10);
        replay.SeekToStart();
        EXPECT_EQ(replay.GetRecord(), 0u);
    }
}

TEST(LogReplay, RecordSecondsIsTheTypicalStep)
{
    // 50 Hz with a 5 s pause and a step back in time.
    std::string fast = "\"fw\"\nTime\tRPM\ns\trpm\n";
    for (int i = 0; i < 20; ++i)
        fast += std::to_string(i * 0.02) + "\t1\n";
    fast += "5.5\t1\n5.4\t1\n5.42\t1\n";
    const struct {
        const char* label;
        std::string log;
        double want;
    } cases[] = {
        {"50 Hz, pauses aside", fast, 0.02},
        // Steps 0.1 0.1 0.3 0.5 11 0.1: the middle one of six.
        {"uneven", kTimedLog, 0.3},
        {"paced by tick", OwnLog(), LogReplay::kTickSeconds},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto log = DatalogLoader::FromBytes(c.log, "t.msl");
        LogReplay replay(*log);
        EXPECT_NEAR(replay.GetRecordSeconds(), c.want, 1e-9);
    }
}
