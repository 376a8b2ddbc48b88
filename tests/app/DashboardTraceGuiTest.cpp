// The dashboard executable on the test display: where its traces go.
#include "tests/app/ShellRun.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

// The specified standard-error traces ("m_gd is NULL!" and the dial's size
// traces, written at every start) go to the debug log only; --trace shows
// them on the terminal as well; --log-limit 0 writes no debug log at all.
TEST(DashboardTrace, TracesGoToTheDebugLogUnlessAskedFor)
{
    struct Case {
        const char* args;
        bool onTerminal;
        bool inLog;
    } cases[] = {{"", false, true}, {"--trace", true, true}, {"--log-limit 0", false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const TempDir dir;
        const ShellOutcome run = RunShell(
            "cd " + dir.path + " && XDG_CONFIG_HOME=" + dir.path + " timeout 3 " + TARN_TARNDASH
                + " --ini " TARN_SAMPLE_DIR "/tarnv3.ini --size 240x320 " + c.args,
            dir.file("terminal.txt"));
        EXPECT_EQ(run.status, 124) << "ran until stopped: " << run.out;
        std::ifstream logFile(dir.file("filelog.txt"));
        std::ostringstream log;
        log << logFile.rdbuf();
        EXPECT_EQ(run.out.find("m_gd is NULL!") != std::string::npos, c.onTerminal) << run.out;
        EXPECT_EQ(log.str().find("m_gd is NULL!") != std::string::npos, c.inLog);
        EXPECT_EQ(log.str().find("TarnGauge::CalculateSize x=") != std::string::npos, c.inLog);
    }
}
