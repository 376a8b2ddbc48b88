// The dashboard executable as a user starts it from a shell.
#include "tests/app/ShellRun.h"

#include <gtest/gtest.h>

namespace {

// Runs `command` with the display variables removed, in a scratch folder.
ShellOutcome WithoutDisplay(const std::string& command)
{
    return RunShell("cd /tmp && env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME=/tmp " + command,
                    std::string(TARN_BINARY_DIR) + "/process-test.out");
}

const std::string kDash = TARN_TARNDASH;

} // namespace

// Without a display the dashboard (and `make run`, through its script) fails
// and says to use xvfb-run; it never exits 0.
TEST(DashboardProcess, WithoutDisplayFailsWithAHint)
{
    const std::string commands[] = {
        kDash,
        kDash + " --input file",
        "sh " + std::string(TARN_SOURCE_DIR) + "/scripts/run-dashboard.sh " + TARN_BINARY_DIR,
    };
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        const ShellOutcome run = WithoutDisplay(command);
        EXPECT_NE(run.status, 0) << run.out;
        EXPECT_NE(run.out.find("xvfb-run"), std::string::npos) << run.out;
    }
}

TEST(DashboardProcess, BadOptionsExitWithStatusTwo)
{
    struct Case {
        const char* args;
        const char* named;
    } cases[] = {{"--size abc", "'abc'"}, {"--size 99999x5", "'99999x5'"}, {"--frobnicate", "--frobnicate"},
                 {"--ini /nonexistent/tarnv3.ini", "/nonexistent/tarnv3.ini"},
                 {"--input file --datalog /nonexistent.log", "/nonexistent.log"},
                 {"--rate 0", "--rate"}, {"--rate=-1", "--rate"}, {"--rate 5000", "--rate"},
                 {"--rate fast", "'fast'"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        const ShellOutcome run = WithoutDisplay(kDash + " " + c.args);
        EXPECT_EQ(run.status, 2);
        const std::string first = run.out.substr(0, run.out.find('\n'));
        EXPECT_NE(first.find(c.named), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("\nusage: tarndash "), std::string::npos) << run.out;
    }
    const ShellOutcome version = WithoutDisplay(kDash + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("tarndash ", 0), 0u) << version.out;
    const ShellOutcome help = WithoutDisplay(kDash + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--fullscreen"), std::string::npos);
}
