#include "tools/tarn-ecu-sim/EngineModel.h"

#include <gtest/gtest.h>

namespace {

double At(EngineModel& model, double seconds, const char* name)
{
    model.setTime(seconds);
    double value = -12345;
    EXPECT_TRUE(model.value(name, value)) << name;
    return value;
}

} // namespace

TEST(EngineModel, EveryValueStaysPlausibleOverTwoCycles)
{
    struct Range {
        const char* name;
        double lo;
        double hi;
    };
    const Range ranges[] = {
        {"rpm", 700, 6500},        {"map", 20, 160},          {"tps", 0, 100},
        {"coolant", 19, 90},       {"mat", 15, 50},           {"spark", 5, 38},
        {"dwell", 2, 4.5},         {"afr", 11, 19},           {"lambda", 0.75, 1.3},
        {"ego", 0, 1},             {"batt", 13, 14.5},        {"speed", 0, 105},
        {"gear", 0, 4},            {"baro", 95, 105},         {"pw", 1, 20},
        {"duty", 0, 85},           {"secl", 0, 255},          {"status", 1, 13},
        {"knockretard", 0, 3},     {"idleduty", 0, 90},       {"oilpressure", 70, 600},
        {"fuelpressure", 250, 420}, {"egt", 0, 950},          {"afrtarget", 11, 19},
        {"egocorrection", 90, 110}, {"warmupenrich", 100, 140}, {"accelenrich", 100, 130},
        {"tpsdot", -1000, 1000},   {"mapdot", -1000, 1000},   {"fanduty", 0, 100},
        {"fueltemp", 0, 40},       {"loopspersecond", 1000, 2000},
    };
    EngineModel model;
    for (double t = 0; t < 2 * EngineModel::kCycleSeconds; t += 0.1) {
        model.setTime(t);
        for (const Range& range : ranges) {
            double value = -12345;
            ASSERT_TRUE(model.value(range.name, value)) << range.name;
            ASSERT_GE(value, range.lo) << range.name << " at " << t << " s";
            ASSERT_LE(value, range.hi) << range.name << " at " << t << " s";
        }
    }
}

TEST(EngineModel, CyclesThroughIdleRevvingAndCruising)
{
    struct Case {
        const char* phase;
        double seconds;
        double gear;
        double rpmLo;
        double rpmHi;
    };
    const Case cases[] = {
        {"idle", 5, 0, 800, 900},
        {"revving in first", 12.5, 1, 1500, 6000},
        {"revving in third", 18.5, 3, 3500, 6000},
        {"cruising", 25, 4, 2800, 3200},
        {"idle again in the next cycle", EngineModel::kCycleSeconds + 5, 0, 800, 900},
    };
    EngineModel model;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.phase);
        EXPECT_EQ(At(model, c.seconds, "gear"), c.gear);
        const double rpm = At(model, c.seconds, "rpm");
        EXPECT_GE(rpm, c.rpmLo);
        EXPECT_LE(rpm, c.rpmHi);
    }
    // Revving pulls harder on the throttle than cruising does.
    EXPECT_GT(At(model, 14, "tps"), At(model, 25, "tps") + 20);
}

TEST(EngineModel, CoolantOnlyWarmsAndAliasesAgree)
{
    EngineModel model;
    double last = At(model, 0, "coolant");
    for (double t = 1; t < 600; t += 7) {
        const double now = At(model, t, "coolant");
        ASSERT_GT(now, last) << t;
        last = now;
    }
    model.setTime(23);
    const char* const sameAsRpm[] = {"rpm", "enginespeed"};
    const char* const sameAsCoolant[] = {"clt", "cts", "water"};
    double rpm = 0;
    double coolant = 0;
    ASSERT_TRUE(model.value("rpm", rpm));
    ASSERT_TRUE(model.value("coolant", coolant));
    for (const char* alias : sameAsRpm) {
        double v = 0;
        EXPECT_TRUE(model.value(alias, v));
        EXPECT_EQ(v, rpm) << alias;
    }
    for (const char* alias : sameAsCoolant) {
        double v = 0;
        EXPECT_TRUE(model.value(alias, v));
        EXPECT_EQ(v, coolant) << alias;
    }
    double unknown = 0;
    EXPECT_FALSE(model.value("nosuchchannel", unknown));
}
