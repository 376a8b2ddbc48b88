// --alarm-command: run through the shell as a value enters danger, never
// waited for, at most once per gap; a command that fails or hangs is
// reported once and the caller goes on.
#include "app/AlarmCommand.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/filefn.h>

namespace {

size_t CountPrefix(const LogCapture& log, const wxString& prefix)
{
    size_t n = 0;
    for (const wxString& line : log.messages())
        n += line.StartsWith(prefix);
    return n;
}

} // namespace

TEST(AlarmCommand, RunsOnceAsAValueEntersDanger)
{
    TempDir dir;
    const wxString file = wxString::FromUTF8(dir.file("alarm"));
    AlarmCommand command("echo x >> '" + file + "'");
    EXPECT_TRUE(command.Take({false, true}));
    ASSERT_TRUE(WaitFor([&] { return wxFileExists(file); }));
    // Staying in danger, or a second value entering within the gap, runs nothing.
    EXPECT_FALSE(command.Take({false, true}));
    EXPECT_FALSE(command.Take({true, true}));
    EXPECT_FALSE(command.Take({false, false}));
    EXPECT_EQ(command.GetRuns(), 1);
}

TEST(AlarmCommand, EachEntryRunsItOnceTheGapHasPassed)
{
    TempDir dir;
    const wxString file = wxString::FromUTF8(dir.file("alarm"));
    AlarmCommand command("echo x >> '" + file + "'", 0);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(WaitFor([&] { return !command.IsRunning(); }));
        command.Take({false});
        EXPECT_TRUE(command.Take({true}));
    }
    EXPECT_EQ(command.GetRuns(), 3);
}

TEST(AlarmCommand, MissingOrHangingCommandIsReportedOnce)
{
    LogCapture log;
    {
        AlarmCommand missing("/no/such/alarm-program", 0);
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(WaitFor([&] { return !missing.IsRunning(); }));
            missing.Take({false});
            EXPECT_TRUE(missing.Take({true}));
        }
        ASSERT_TRUE(WaitFor([&] { return !missing.IsRunning(); }));
        EXPECT_EQ(CountPrefix(log, "alarm command '/no/such/alarm-program' failed"), 1u);
    }
    AlarmCommand hanging("sleep 30", 0);
    EXPECT_TRUE(hanging.Take({true}));
    for (int i = 0; i < 3; ++i) {
        hanging.Take({false});
        EXPECT_FALSE(hanging.Take({true}));
    }
    EXPECT_EQ(CountPrefix(log, "alarm command 'sleep 30' still runs"), 1u);
}
