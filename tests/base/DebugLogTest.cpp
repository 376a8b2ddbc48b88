#include "base/DebugLog.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <thread>

TEST(DebugLog, LevelsAndLiteralText)
{
    struct Case {
        unsigned level;
        const char* text;
        wxLogLevel want;
    } cases[] = {
        {0, "plain", wxLOG_Message},      {1, "careful", wxLOG_Warning},
        {2, "broken", wxLOG_Error},       {3, "other", wxLOG_Message},
        {0, "100% %s %d %n", wxLOG_Message},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        LogCapture log;
        DebugLog(c.level, c.text);
        ASSERT_EQ(log.records().size(), 1u);
        EXPECT_EQ(log.records()[0].level, c.want);
        EXPECT_EQ(log.records()[0].text, c.text);
    }
}

TEST(DebugLog, LogLimitOption)
{
    const struct {
        const char* text;
        bool ok;
        uint64_t bytes;
    } cases[] = {
        {"0", true, 0},
        {"8388608", true, 8388608},
        {"18446744073709551615", true, UINT64_MAX},
        {"18446744073709551616", false, 0},
        {"-1", false, 0},
        {"-0", false, 0},
        {"", false, 0},
        {"8M", false, 0},
        {" 5", false, 0},
        {"+5", false, 0},
        {"1e6", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        uint64_t bytes = 12345;
        wxString error;
        EXPECT_EQ(ParseDebugLogLimit(c.text, bytes, error), c.ok);
        EXPECT_EQ(bytes, c.ok ? c.bytes : 12345u);
        EXPECT_EQ(error.empty(), c.ok);
    }
    uint64_t bytes = 0;
    wxString error;
    ParseDebugLogLimit("-5", bytes, error);
    EXPECT_TRUE(error.Contains("negative")) << error;
}

// Once the file is open, the toolkit's own messages and those of other
// threads go to it as well; the limit 0 turns everything off.
TEST(DebugLog, FileTakesEveryThreadAndTheToolkit)
{
    const TempDir folder;
    InitDebugLog(wxString(folder.path), kDefaultDebugLogLimit);
    EXPECT_TRUE(DebugLogEnabled());
    DebugLog(0, "start");
    wxLogError("from the toolkit");
    std::thread([] { DebugLog(1, "from a worker"); }).join();
    FlushDebugLog();
    std::ifstream in(folder.file("filelog.txt"));
    std::vector<std::string> tails;
    for (std::string line; std::getline(in, line);)
        tails.push_back(line.size() > 10 ? line.substr(10) : line);
    EXPECT_EQ(tails, (std::vector<std::string>{"start", "Error: from the toolkit",
                                               "Warning: from a worker"}));

    InitDebugLog(wxString(folder.path), 0);
    EXPECT_FALSE(DebugLogEnabled());
    DebugLog(2, "nowhere");
    FlushDebugLog();
    EXPECT_EQ(std::filesystem::file_size(folder.file("filelog.txt")), 0u);
}
