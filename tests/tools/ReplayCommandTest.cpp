// tarntool replay, run as a separate program the way scripts run it.
#include "definition/LineReader.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filename.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct ToolRun {
    int exitCode = -1;
    std::vector<std::string> lines; // standard output
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
    command += " 2>/dev/null";
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
    return run;
}

class TempLog {
public:
    explicit TempLog(const std::string& bytes)
    {
        path = static_cast<const char*>(wxFileName::CreateTempFileName("tarn-replay").fn_str());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    ~TempLog() { std::remove(path.c_str()); }
    std::string path;
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
    const char* contents[] = {"", "title only\n", "title\nRPM\n"};
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

// Logs of other ECU families (two title lines, a units row, MARK lines, Latin-1
// units, binary logs): whatever they serve, they must play to the end.
TEST(ReplayCommand, RealWorldLogsPlayToTheEnd)
{
    const wxString candidates[] = {
        TARN_TEST_DATA_DIR "/../../shared/realworld/logs",
        TARN_TEST_DATA_DIR "/../../../shared/realworld/logs",
    };
    wxString folder;
    for (const wxString& candidate : candidates)
        if (wxDirExists(candidate))
            folder = candidate;
    if (folder.empty())
        GTEST_SKIP() << "no real-world datalogs here";
    wxArrayString files;
    wxDir::GetAllFiles(folder, &files, "", wxDIR_FILES);
    ASSERT_FALSE(files.empty());
    for (const wxString& file : files) {
        SCOPED_TRACE(file.ToStdString());
        struct Lines : LineReader {
            void processLine() override {}
        } lines;
        ASSERT_EQ(lines.open(file), 0);
        const size_t ticks = lines.getLineCount() > 2 ? lines.getLineCount() - 2 : 0;
        const ToolRun run = Replay({file.ToStdString(), "RPM", "time", "MAP", "egt"});
        EXPECT_EQ(run.exitCode, 0);
        ASSERT_EQ(run.lines.size(), ticks);
        // Their second title line stands where our header goes: no columns.
        const bool text = file.EndsWith(".msl");
        for (const std::string& line : run.lines) {
            ASSERT_FALSE(line.empty());
            ASSERT_EQ(line.front(), '[');
            ASSERT_EQ(line.back(), ']');
            if (text) {
                ASSERT_EQ(line, "[null,null,null,null]");
            }
        }
    }
}
