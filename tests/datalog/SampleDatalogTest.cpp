// The shipped sample datalog, played the way the dashboard plays it.
#include "datalog/RTDataMgrFile.h"

#include <gtest/gtest.h>
#include <wx/log.h>

#include <algorithm>
#include <cmath>
#include <vector>

TEST(SampleDatalog, EveryRecordServesEveryChannelConsistently)
{
    const char* channels[] = {
        "Time", "secl", "rpm", "map", "baro", "mat", "coolant", "tps",
        "batteryVoltage", "pulseWidth", "spark", "dwell", "afr", "lambda", "egoCorrection",
        "knockRetard", "vss", "gear", "oilPressure", "fuelPressure", "idleDuty", "boost",
        "dutyCycle",
    };
    wxLogNull quiet;
    RTDataMgrFile input(TARN_SAMPLE_DIR "/datalog.log");
    ASSERT_EQ(input.GetOpenResult(), 0);
    ASSERT_GE(input.getLineCount(), 3002);
    for (const char* channel : channels)
        EXPECT_TRUE(input.HasValue(channel)) << channel;

    ValueMap values;
    input.setValueMap(&values);
    double maxCoolant = 0, maxBoost = 0;
    for (int tick = 0; tick < input.getLineCount() - 2; ++tick) {
        SCOPED_TRACE(tick);
        values.clear();
        for (const char* channel : channels)
            values[channel] = 0.0;
        input.Update();
        ASSERT_EQ(values.size(), sizeof channels / sizeof channels[0]);
        // 10 Hz without a gap: a skipped record would repeat the time.
        ASSERT_NEAR(values["Time"], tick * 0.1, 1e-9);
        EXPECT_NEAR(values["lambda"], values["afr"] / 14.7, 0.0006);
        EXPECT_NEAR(values["boost"], std::max(0.0, values["map"] - values["baro"]), 0.051);
        EXPECT_NEAR(values["dutyCycle"], values["pulseWidth"] * values["rpm"] / 1200, 0.051);
        EXPECT_GE(values["pulseWidth"], 1.5);
        EXPECT_LE(values["pulseWidth"], 15.0);
        maxCoolant = std::max(maxCoolant, values["coolant"]);
        maxBoost = std::max(maxBoost, values["boost"]);
    }
    EXPECT_GE(maxCoolant, 85.0); // warms up
    EXPECT_GT(maxBoost, 50.0);   // the hard pull
}
