#include "definition/LineReader.h"
#include "tests/definition/ParseHelpers.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestTime.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

namespace {

class CollectingReader : public LineReader {
public:
    void processLine() override
    {
        lines.push_back(getCurrentLine());
        indexes.push_back(getLineIndex());
        cutBytes.push_back(getCutLineBytes());
    }
    std::vector<wxString> lines;
    std::vector<int> indexes;
    std::vector<size_t> cutBytes;
};

} // namespace

TEST(LineReader, SplitsAtEveryKindOfLineEnd)
{
    struct Case {
        const char* label;
        std::string bytes;
        std::vector<const char*> want;
    } cases[] = {
        {"LF", "a\nb\n", {"a", "b"}},
        {"CRLF", "a\r\nb\r\n", {"a", "b"}},
        {"CR", "a\rb\r", {"a", "b"}},
        {"last line without terminator", "a\nb", {"a", "b"}},
        {"blank lines count", "a\n\n\r\n\rb", {"a", "", "", "", "b"}},
        {"LF CR is two ends", "a\n\rb", {"a", "", "b"}},
        {"empty file", "", {}},
        {"only a terminator", "\n", {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        CollectingReader reader;
        const TempDir dir;
        const std::string path = dir.file("lines.ini");
        std::ofstream(path, std::ios::binary) << c.bytes;
        ASSERT_EQ(reader.readAll(path), 0);
        ASSERT_EQ(reader.lines.size(), c.want.size());
        EXPECT_EQ(LineReader::countLines(c.bytes), int(c.want.size()));
        for (size_t i = 0; i < c.want.size(); ++i) {
            EXPECT_EQ(reader.lines[i], wxString(c.want[i]));
            EXPECT_EQ(reader.indexes[i], int(i));
        }
    }
}

TEST(LineReader, DecodesUtf8AndFallsBackToLatin1)
{
    struct Case {
        const char* label;
        std::string bytes;
        bool utf8;
        wxString want;
    } cases[] = {
        {"Latin-1 degree sign", "temp \"\xB0" "C\"", false, wxString::FromUTF8("temp \"\xC2\xB0" "C\"")},
        {"UTF-8 degree sign", "temp \"\xC2\xB0" "C\"", true, wxString::FromUTF8("temp \"\xC2\xB0" "C\"")},
        {"truncated UTF-8 sequence", "x\xC2", false, wxString::FromUTF8("x\xC3\x82")},
        {"overlong form is not UTF-8", "\xC0\xAF", false, wxString::FromUTF8("\xC3\x80\xC2\xAF")},
        {"byte-order mark is dropped", "\xEF\xBB\xBFok", true, "ok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        CollectingReader reader;
        ASSERT_EQ(reader.openBytes(c.bytes), 0);
        EXPECT_EQ(reader.isUtf8(), c.utf8);
        ASSERT_TRUE(reader.readNext());
        EXPECT_EQ(reader.lines[0], c.want);
    }
}

TEST(LineReader, OpenFailuresAndReadNextAtEnd)
{
    CollectingReader reader;
    EXPECT_EQ(reader.open(""), -1);
    EXPECT_EQ(reader.open("/nonexistent/tarnv3.ini"), -2);
    EXPECT_EQ(reader.readAll("/nonexistent/tarnv3.ini"), -2);
    EXPECT_TRUE(reader.lines.empty());

    ASSERT_EQ(reader.openBytes("one\ntwo"), 0);
    EXPECT_EQ(reader.getLineCount(), 2);
    EXPECT_TRUE(reader.readNext());
    EXPECT_TRUE(reader.readNext());
    EXPECT_FALSE(reader.readNext());
    EXPECT_FALSE(reader.readNext());
    EXPECT_EQ(reader.lines.size(), 2u);
    reader.close();
    EXPECT_FALSE(reader.readNext());
}

TEST(LineReader, EmbeddedNulIsKeptInsideTheLine)
{
    CollectingReader reader;
    reader.openBytes(std::string("a\0b\nc", 5));
    ASSERT_TRUE(reader.readNext());
    EXPECT_EQ(reader.lines[0].length(), 3u);
    ASSERT_TRUE(reader.readNext());
    EXPECT_EQ(reader.lines[1], "c");
}

TEST(LineReader, RefusesAnythingButARegularFileWithoutBlocking)
{
    const TempDir dir;
    const std::string fifo = dir.file("tarnv3.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero"), dir.path}) {
        SCOPED_TRACE(path);
        // Should open() block on the pipe, a writer comes and goes to end the wait.
        std::atomic<bool> done{false};
        std::thread unblock([&] {
            for (int i = 0; i < 100 && !done; ++i) {
                const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    ::close(fd);
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
        LogCapture log;
        CollectingReader reader;
        const auto begin = std::chrono::steady_clock::now();
        EXPECT_EQ(reader.open(path), -2);
        EXPECT_LT(std::chrono::steady_clock::now() - begin, TestTime::scaled(std::chrono::milliseconds(500)));
        done = true;
        unblock.join();
        EXPECT_TRUE(log.contains(path + ": cannot read (not a regular file)") ||
                    log.contains(path + ": cannot read (Is a directory)"));
    }
}

TEST(LineReader, LongLinesAreCutWithAWarning)
{
    const size_t cap = LineReader::kMaxLineBytes;
    const std::string e = "\xC3\xA9"; // two bytes, one character
    struct Case {
        const char* label;
        std::string line;
        size_t kept; // characters
    } cases[] = {
        {"at the cap", std::string(cap, 'a'), cap},
        {"far beyond", std::string(3 * cap + 7, 'a'), cap},
        {"a character across the cut", std::string(cap - 1, 'a') + e + "tail", cap - 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        LogCapture log;
        CollectingReader reader;
        reader.openBytes("first\n" + c.line + "\nlast");
        while (reader.readNext()) {
        }
        ASSERT_EQ(reader.lines.size(), 3u);
        EXPECT_EQ(reader.lines[1].length(), c.kept);
        EXPECT_EQ(reader.lines[2], "last");
        const bool cut = c.line.size() > cap;
        EXPECT_EQ(reader.cutBytes, (std::vector<size_t>{0, cut ? c.line.size() : 0, 0}));
        EXPECT_EQ(log.containsPrefix(wxString::Format("line 2 is %zu bytes long", c.line.size())),
                  cut);
    }
    const Parsed parsed = Parse("[Constants]\n" + std::string(cap + 1, ' ') + "\n");
    EXPECT_EQ(parsed.warnings, (std::vector<std::string>{"Line cut at 65536 bytes! in line :1"}));
}
