// The File input over the tuning suites' logs, as the dispatcher ticks it.
#include "datalog/RTDataMgrFile.h"
#include "dispatch/GaugeUpdater.h"
#include "tests/datalog/BinaryLogBuilder.h"
#include "tests/support/FakeGauge.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Records 0.2 s apart: at the 100 ms tick each one shows for two ticks.
const char kLog[] = "\"fw\"\n\"Capture Date: x\"\n"
                    "Time\tRPM\tBatt V\tfuel: pulse\n"
                    "s\tRPM\tv\tms\n"
                    "0.0\t900\t12.5\t2.1\n0.2\t950\t12.6\t2.2\n0.4\t1000\t12.7\t2.3\n";

size_t Count(const LogCapture& log, const wxString& text)
{
    return static_cast<size_t>(std::count(log.messages().begin(), log.messages().end(), text));
}

} // namespace

TEST(FileInputFormats, TextLogPacedByItsTimeColumn)
{
    FakeGauge rpm("rpm"), batt("battV"), pulse("FuelPulse"), egt("egt");
    GaugeUpdater hub;
    for (FakeGauge* gauge : {&rpm, &batt, &pulse, &egt})
        hub.AddGauge(gauge);
    auto input = RTDataMgrFile::FromBytes(kLog, "drive.msl");
    hub.SetInput(input.get());
    EXPECT_TRUE(hub.IsValueAvailable("BATT_V"));
    EXPECT_FALSE(hub.IsValueAvailable("egt"));

    LogCapture log;
    for (int t = 0; t < 8; ++t)
        hub.Update();
    const double none = FakeGauge::kNone;
    EXPECT_EQ(rpm.Shown(), (std::vector<double>{900, 900, 950, 950, 1000, 1000, 1000, 1000}));
    EXPECT_EQ(batt.shown.back(), 12.7);
    EXPECT_EQ(pulse.shown.back(), 2.3);
    EXPECT_EQ(egt.Shown(), std::vector<double>(8, none));
    // Said once, not every tick.
    EXPECT_EQ(Count(log, "drive.msl: no column for \"egt\" (no column)"), 1u);
    EXPECT_EQ(Count(log, "drive.msl: column \"Batt V\" serves \"battV\" (name, blanks and punctuation ignored)"),
              1u);
    EXPECT_EQ(Count(log, "drive.msl: replay stopped at the last record"), 1u);
    EXPECT_TRUE(input->GetReplay().IsAtEnd());
    EXPECT_EQ(input->GetValue("rpm"), 1000);
    EXPECT_EQ(input->getLineIndex(), -1);
}

TEST(FileInputFormats, TickSecondsAndControlsMoveTheReplay)
{
    auto input = RTDataMgrFile::FromBytes(kLog, "drive.msl");
    ValueMap values;
    input->setValueMap(&values);
    auto tick = [&] {
        values.clear();
        values["rpm"] = 0;
        input->Update();
        return RTDataMgr::IsNoValue(values["rpm"]) ? -1.0 : values["rpm"];
    };
    EXPECT_EQ(tick(), 900);
    input->SetTickSeconds(0.4);
    EXPECT_EQ(tick(), 1000);
    input->GetReplay().SeekToStart();
    input->GetReplay().Pause();
    EXPECT_EQ(tick(), 900);
    EXPECT_EQ(input->GetReplay().GetPositionText(), "0:00 / 0:00");
}

TEST(FileInputFormats, BinaryLogAndItsProblems)
{
    BinaryLogBuilder builder(1, {{7, "Time", "s", 1, 0, 3}, {2, "RPM", "rpm"}, {7, "AFR", "", 1, 0, 1}});
    builder.AddRecord({0.0, 900, 14.7});
    builder.AddRecord({0.1, 950, std::nan("")});
    const std::string bytes = builder.Bytes();
    LogCapture log;
    auto input = RTDataMgrFile::FromBytes(bytes.substr(0, bytes.size() - 2), "run.mlg");
    EXPECT_TRUE(log.containsPrefix("run.mlg: offset "));
    ValueMap values;
    input->setValueMap(&values);
    values["rpm"] = values["afr"] = 0;
    input->Update();
    EXPECT_EQ(values["rpm"], 900);
    EXPECT_EQ(values["afr"], 14.7);

    // The cut-off second record is gone; a NaN in a whole one serves nothing.
    input = RTDataMgrFile::FromBytes(bytes, "run.mlg");
    input->setValueMap(&values);
    for (int t = 0; t < 2; ++t) {
        values["rpm"] = values["afr"] = 0;
        input->Update();
    }
    EXPECT_EQ(values["rpm"], 950);
    EXPECT_TRUE(RTDataMgr::IsNoValue(values["afr"]));
    EXPECT_EQ(input->GetValue("afr"), -1.0);
}

TEST(FileInputFormats, RefusedLogServesNothing)
{
    LogCapture log;
    auto input = RTDataMgrFile::FromBytes(std::string("MLVLG\0\0\7", 8) + std::string(40, 'x'), "bad.mlg");
    EXPECT_EQ(input->GetOpenResult(), 0);
    EXPECT_FALSE(input->GetLog().GetRefusal().empty());
    EXPECT_TRUE(log.contains(input->GetLog().GetRefusal()));
    EXPECT_FALSE(input->HasValue("rpm"));
    ValueMap values;
    input->setValueMap(&values);
    values["rpm"] = 0;
    input->Update();
    EXPECT_TRUE(RTDataMgr::IsNoValue(values["rpm"]));
}
