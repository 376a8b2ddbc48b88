// The ECU session from the command line's options: how fast its input
// samples, how fast the frame ticks, and recording from the start.
#include "app/EcuSession.h"
#include "definition/SymbolTable.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

TEST(EcuSession, SamplingTickAndRecordingFromTheOptions)
{
    struct Case {
        const char* label;
        bool builtIn;
        std::optional<double> rate;
        int periodMs;
        bool samplesOnItsOwn;
    } const cases[] = {
        {"built-in firmware: one fetch per tick", true, std::nullopt, EcuSession::kPeriodMs, false},
        {"built-in firmware at 15 Hz", true, 15.0, EcuSession::kFastPeriodMs, true},
        {"built-in firmware, slower than the tick", true, 2.0, EcuSession::kPeriodMs, true},
        {"another firmware: back to back", false, std::nullopt, EcuSession::kFastPeriodMs, true},
        {"another firmware at 3 Hz", false, 3.0, EcuSession::kPeriodMs, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        SymbolTable table;
        if (!c.builtIn) {
            table.getLinkSettings().hasSignature = true;
            table.getLinkSettings().signature = "speeduino 202405-dev";
        }
        DashboardOptions options;
        options.rate = c.rate;
        options.record = c.rate.has_value();
        options.logDir = wxString::FromUTF8(dir.path);
        EcuSession session(&table, options);
        EXPECT_EQ(session.GetPeriodMs(), c.periodMs);
        const auto* input = dynamic_cast<RTDataMgrSerial*>(session.GetInput());
        ASSERT_NE(input, nullptr);
        EXPECT_EQ(input->samplesOnItsOwn(), c.samplesOnItsOwn);
        EXPECT_EQ(session.GetRecording().IsRecording(), options.record) << session.GetRecording().GetError();
    }
}
