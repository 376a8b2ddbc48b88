#include "gaugemodel/LampRow.h"

#include <gtest/gtest.h>

#include <limits>

TEST(LampRow, StateOfAValue)
{
    EXPECT_EQ(LampStateOf(std::numeric_limits<double>::quiet_NaN()), LampState::NoValue);
    EXPECT_EQ(LampStateOf(0.0), LampState::Off);
    EXPECT_EQ(LampStateOf(-0.0), LampState::Off);
    EXPECT_EQ(LampStateOf(8.0), LampState::On);
    EXPECT_EQ(LampStateOf(-1.0), LampState::On);
}

TEST(LampRow, LitLampsFirstOnlyWhenNotAllFit)
{
    const LampState o = LampState::Off, n = LampState::On, g = LampState::NoValue;
    const struct {
        const char* label;
        std::vector<LampState> states;
        int room;
        std::vector<int> want;
    } cases[] = {
        {"all fit: file order", {o, n, g, n}, 4, {0, 1, 2, 3}},
        {"lit ones move up", {o, n, g, n, o}, 3, {1, 3, 0}},
        {"more lit than room", {n, o, n, n}, 2, {0, 2}},
        {"none lit", {g, o, o}, 2, {0, 1}},
        {"no room", {n}, 0, {}},
        {"no lamps", {}, 4, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(LampsShown(c.states, c.room), c.want);
    }
}
