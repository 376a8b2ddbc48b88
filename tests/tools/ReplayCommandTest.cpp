// tarntool replay, run as a separate program the way scripts run it.
#include "datalog/SessionRecorder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <wx/dir.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct ToolRun {
    int exitCode = -1;
    std::vector<std::string> lines; // standard output
    std::string err;                // standard error
};

std::string Quote(const std::string& arg)
{
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ToolRun Replay(const std::vector<std::string>& args)
{
    std::string command = Quote(TARN_BINARY_DIR "/tools/tarntool/tarntool") + " replay";
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    const TempDir dir;
    const std::string errPath = dir.file("err");
    command += " 2>" + Quote(errPath);
    ToolRun run;
    FILE* out = popen(command.c_str(), "r");
    if (!out)
        return run;
    std::string line;
    for (int c; (c = std::fgetc(out)) != EOF;) {
        if (c == '\n') {
            run.lines.push_back(line);
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    if (!line.empty())
        run.lines.push_back(line + "<no line end>");
    const int status = pclose(out);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errPath, std::ios::binary);
    run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    return run;
}

class TempLog {
    const TempDir dir;

public:
    explicit TempLog(const std::string& bytes) : path(dir.write("drive", bytes)) {}
    const std::string path;
};

const char kLog[] = "Drive\n"
                    "Time\tRPM\tMAP\n"
                    "0.1\t900\t35.5\n"
                    "0.2\t950\t36\t1\n" // skipped: one field too many
                    "0.3\t1200.25\t1e2\n";

} // namespace

TEST(ReplayCommand, PrintsOneArrayPerTick)
{
    TempLog log(kLog);
    struct Case {
        const char* label;
        std::vector<std::string> args;
        std::vector<std::string> want;
    };
    const Case cases[] = {
        {"every line once", {log.path, "rpm", "map"},
         {"[900,35.5]", "[900,35.5]", "[1200.25,100]"}},
        {"unknown and repeated names", {log.path, "egt", "RPM", "rpm"},
         {"[null,900,900]", "[null,900,900]", "[null,1200.25,1200.25]"}},
        {"more ticks keep the last record", {"--ticks", "5", log.path, "Time"},
         {"[0.1]", "[0.1]", "[0.3]", "[0.3]", "[0.3]"}},
        {"fewer ticks, option last", {log.path, "time", "--ticks=1"}, {"[0.1]"}},
        {"no ticks", {log.path, "--ticks", "0", "map"}, {}},
        {"name after --", {log.path, "--", "--ticks"}, {"[null]", "[null]", "[null]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const ToolRun run = Replay(c.args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.lines, c.want);
    }
}

TEST(ReplayCommand, ShortFilesPlayNothing)
{
    const char* contents[] = {"title only\n", "title\nRPM\n"};
    for (const char* content : contents) {
        SCOPED_TRACE(content);
        TempLog log(content);
        const ToolRun run = Replay({log.path, "rpm"});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.lines.empty());
        EXPECT_EQ(Replay({log.path, "--ticks", "2", "rpm"}).lines,
                  (std::vector<std::string>{"[null]", "[null]"}));
    }
}

TEST(ReplayCommand, Misuse)
{
    TempLog log(kLog);
    struct Case {
        const char* label;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {"missing file", {"/nonexistent/datalog.log", "rpm"}},
        {"directory", {"/", "rpm"}},
        {"no names", {log.path}},
        {"nothing", {}},
        {"negative ticks", {log.path, "--ticks", "-1", "rpm"}},
        {"ticks not a number", {log.path, "--ticks", "3x", "rpm"}},
        {"ticks without value", {log.path, "rpm", "--ticks"}},
        {"unknown option", {log.path, "--loop", "rpm"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const ToolRun run = Replay(c.args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.lines.empty());
    }
}

namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::string RealWorldLogs()
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    return std::string(env && *env ? env : TARN_REALWORLD_DIR) + "/logs";
}

} // namespace

// Logs of other ECU families: every record once, with real values.
TEST(ReplayCommand, RealWorldLogsPrintRealValues)
{
    const std::string dir = RealWorldLogs();
    if (!wxDirExists(dir))
        GTEST_SKIP() << dir << " is not here";
    struct Case {
        const char* file;
        size_t records;
        const char* first; // [RPM, MAP]
        const char* last;
    };
    const Case cases[] = {
        {"ms2extra_3.2.4_2013-01-20_02.30.36.msl", 967, "[1054,30.8]", "[1057,30.6]"},
        {"rusefi_neon_2014-12-20_14.32.32_tiny.msl", 7, "[0,106]", "[0,106]"},
        {"rusefi_neon_2016-02-15_21.09.49_drive2.msl", 5377, "[1099,28.6]", "[1307,29.9]"},
        {"speeduino_ultralog_example.mlg", 139, "[0,313]", "[214,312]"},
        {"rusefi_ultralog_Log1.mlg", 727, "[66,47.267]", "[66,44.033]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const ToolRun run = Replay({dir + "/" + c.file, "RPM", "map"});
        EXPECT_EQ(run.exitCode, 0);
        ASSERT_EQ(run.lines.size(), c.records);
        EXPECT_EQ(run.lines.front(), c.first);
        EXPECT_EQ(run.lines.back(), c.last);
        EXPECT_EQ(run.err, "");
    }
}

TEST(ReplayCommand, VerboseTellsMatchesMarkersAndLeftovers)
{
    const std::string dir = RealWorldLogs();
    if (!wxDirExists(dir))
        GTEST_SKIP() << dir << " is not here";
    const std::string drive = dir + "/rusefi_neon_2016-02-15_21.09.49_drive2.msl";
    const ToolRun run = Replay({drive, "--verbose", "rpm", "FuelPulse", "egt"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines.size(), 5377u);
    const std::vector<std::string> err = Lines(run.err);
    const char* const want[] = {
        "tarntool: rpm: column \"RPM\" (name)",
        "tarntool: FuelPulse: column \"fuel: pulse\" (name, blanks and punctuation ignored)",
        "tarntool: egt: no column",
        "tarntool: tick 4951: marker: MARK 001 - Going Offline: feb_15 - Mon Feb 15 21:24:07 EST 2016",
        "tarntool: tick 4951: marker: MARK 002 - Going Onlinefeb_15 - Mon Feb 15 21:24:11 EST 2016",
    };
    EXPECT_EQ(err, std::vector<std::string>(std::begin(want), std::end(want)));

    // With the firmware's definition file: its [Datalog] entries, then the aliases.
    const ToolRun withIni = Replay({drive, "--ini", dir + "/../ini/rusefi_mre_f4.ini", "--ticks", "1", "--verbose",
                                    "coolant", "ignitionAdvance", "sparkDwellValue"});
    EXPECT_EQ(withIni.lines, (std::vector<std::string>{"[91.19,21.21,null]"}));
    EXPECT_EQ(Lines(withIni.err), (std::vector<std::string>{"tarntool: coolant: column \"CLT\" ([Datalog] entry)",
                                                            "tarntool: ignitionAdvance: column \"ignAdv\" (alias)",
                                                            "tarntool: sparkDwellValue: no column"}));

    // A binary log cut short: its whole records play, the rest is counted.
    std::ifstream in(dir + "/speeduino_ultralog_example.mlg", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    TempLog cut(bytes.substr(0, bytes.size() - 100)); // the block is 120 bytes
    const ToolRun cutRun = Replay({cut.path, "--verbose", "RPM"});
    EXPECT_EQ(cutRun.exitCode, 0);
    EXPECT_EQ(cutRun.lines.size(), 138u);
    const std::vector<std::string> cutErr = Lines(cutRun.err);
    EXPECT_TRUE(Contains(cutErr, "tarntool: " + cut.path + ": 20 bytes left over at the end")) << cutRun.err;
    EXPECT_TRUE(Contains(cutErr, "tarntool: " + cut.path + ": offset 19919: the last block is cut off; 20 bytes left over"))
        << cutRun.err;
}

TEST(ReplayCommand, RefusedLogsExitWithTheReason)
{
    struct Case {
        std::string bytes;
        const char* reason;
    } const cases[] = {
        {std::string("MLVLG\0\0\3", 8) + std::string(30, '\0'),
         ": offset 6: binary log version 3 is not known (only 1 and 2 are)"},
        {"", ": empty file; not a datalog"},
        {"10:00:00: start\n10:00:01: ---parse start\n", ": the dashboard's debug log; not a datalog"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        TempLog log(c.bytes);
        const ToolRun run = Replay({log.path, "rpm"});
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.lines.empty());
        EXPECT_EQ(run.err, "tarntool: " + log.path + c.reason + "\n");
    }
}

TEST(ReplayCommand, RecordedSessionReplays)
{
    const TempDir dir;
    const wxString folder = dir.file("rec");
    SessionRecorder recorder;
    ASSERT_TRUE(recorder.Start(folder, "tarnv3.ini", {{"rpm", "rpm", 0}, {"map", "kPa", 1}},
                               wxDateTime(1, wxDateTime::Jan, 2025, 12, 0, 0)));
    recorder.Append(0.0, {900, 35.5});
    recorder.Append(0.3, {1500, 60.26});
    recorder.Stop();
    const ToolRun run = Replay({std::string(recorder.GetPath().fn_str()), "RPM", "map", "time"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.lines, (std::vector<std::string>{"[900,35.5,0]", "[1500,60.3,0.3]"}));
}
