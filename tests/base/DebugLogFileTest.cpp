#include "base/DebugLog.h"
#include "base/DebugLogFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestTime.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The debug log's folder, and what its files hold.
class Folder : public TempDir {
public:
    std::string file(const char* name = DebugLogFile::kFileName) const { return TempDir::file(name); }
    std::vector<std::string> lines(const char* name = DebugLogFile::kFileName) const
    {
        std::ifstream in(file(name), std::ios::binary);
        std::vector<std::string> all;
        for (std::string line; std::getline(in, line);)
            all.push_back(line);
        return all;
    }
    uintmax_t size(const char* name = DebugLogFile::kFileName) const
    {
        std::error_code missing;
        const uintmax_t n = fs::file_size(file(name), missing);
        return missing ? 0 : n;
    }
};

const std::regex kStamp("[0-9]{2}:[0-9]{2}:[0-9]{2}: ");

std::string WithoutStamp(const std::string& line)
{
    std::smatch match;
    return std::regex_search(line, match, kStamp) && match.position(0) == 0 ? match.suffix().str()
                                                                            : "NO STAMP: " + line;
}

} // namespace

TEST(DebugLogFile, WritesTheToolkitLineFormat)
{
    Folder folder;
    DebugLogFile log(folder.path, kDefaultDebugLogLimit);
    ASSERT_TRUE(log.isOn());
    log.append(0, "start");
    log.append(1, "careful");
    log.append(2, "broken");
    log.append(3, "other");
    log.append(0, "attempt to divide by zero \n"); // one line, as the toolkit writes it
    log.append(0, "100% %s %d");
    log.append(0, wxString::FromUTF8("K\xC3\xBChlwasser \xC2\xB0" "C"));
    log.flush();
    std::vector<std::string> texts;
    for (const std::string& line : folder.lines())
        texts.push_back(WithoutStamp(line));
    EXPECT_EQ(texts, (std::vector<std::string>{"start", "Warning: careful", "Error: broken", "other",
                                               "attempt to divide by zero ", "100% %s %d",
                                               "K\xC3\xBChlwasser \xC2\xB0" "C"}));
}

TEST(DebugLogFile, RotatesAndNeverHoldsMoreThanTwiceTheLimit)
{
    Folder folder;
    std::ofstream(folder.file(DebugLogFile::kOlderFileName)) << "AN EARLIER RUN\n";
    const uint64_t limit = 4096;
    DebugLogFile log(folder.path, limit);
    EXPECT_FALSE(fs::exists(folder.file(DebugLogFile::kOlderFileName)));
    const int count = 1000;
    for (int i = 0; i < count; ++i) {
        log.append(0, wxString::Format("line %04d of the trace", i));
        if (i % 100 == 0)
            log.flush(); // rotations happen between flushes as well as within one
    }
    log.flush();
    const std::string note =
        "filelog.txt reached its limit of 4096 bytes; the lines before are in filelog.txt.1";
    EXPECT_LE(folder.size(), limit);
    EXPECT_LE(folder.size(DebugLogFile::kOlderFileName), limit);
    std::vector<std::string> current = folder.lines();
    ASSERT_GE(current.size(), 2u);
    EXPECT_EQ(WithoutStamp(current[0]), note);
    EXPECT_EQ(WithoutStamp(current.back()), "line 0999 of the trace");

    // A line longer than a whole file is cut to fit one.
    log.append(0, wxString('x', 3 * limit));
    log.append(0, "last");
    log.flush();
    current = folder.lines();
    ASSERT_EQ(current.size(), 2u);
    EXPECT_EQ(WithoutStamp(current[1]), "last");
    const std::vector<std::string> older = folder.lines(DebugLogFile::kOlderFileName);
    ASSERT_EQ(older.size(), 2u);
    EXPECT_EQ(WithoutStamp(older[0]), note);
    EXPECT_EQ(older[1].find_first_not_of('x', 10), std::string::npos);
    EXPECT_EQ(folder.size(DebugLogFile::kOlderFileName), limit);
}

TEST(DebugLogFile, ZeroLimitWritesNothing)
{
    Folder folder;
    std::ofstream(folder.file()) << "AN EARLIER RUN\n";
    DebugLogFile log(folder.path, 0);
    EXPECT_FALSE(log.isOn());
    log.append(2, "broken");
    log.flush();
    EXPECT_EQ(folder.size(), 0u);
}

TEST(DebugLogFile, AFolderThatCannotTakeItIsReportedOnce)
{
    struct Case {
        const char* label;
        bool full; // the file opens, its first write fails
    } cases[] = {{"missing folder", false}, {"full disk", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Folder folder;
        std::string where = folder.path + "/not-there";
        if (c.full) {
            where = folder.path;
            fs::create_symlink("/dev/full", folder.file());
        }
        testing::internal::CaptureStderr();
        {
            DebugLogFile log(where, kDefaultDebugLogLimit);
            for (int i = 0; i < 3; ++i) {
                log.append(0, "a line");
                log.flush();
            }
            EXPECT_FALSE(log.isOn());
        }
        const std::string reported = testing::internal::GetCapturedStderr();
        EXPECT_NE(reported.find("filelog.txt: cannot "), std::string::npos) << reported;
        EXPECT_EQ(reported.find('\n'), reported.size() - 1) << "once: " << reported;
    }
}

TEST(DebugLogFile, LinesFromManyThreadsStayWhole)
{
    Folder folder;
    DebugLogFile log(folder.path, kDefaultDebugLogLimit);
    const int threads = 4, each = 5000;
    std::vector<std::thread> writers;
    for (int t = 0; t < threads; ++t)
        writers.emplace_back([&log, t] {
            for (int i = 0; i < each; ++i)
                log.append(0, wxString::Format("thread %d line %d", t, i));
        });
    for (std::thread& writer : writers)
        writer.join();
    log.flush();
    std::vector<int> next(threads, 0);
    const std::regex whole("thread ([0-9]) line ([0-9]+)");
    int seen = 0;
    for (const std::string& line : folder.lines()) {
        const std::string text = WithoutStamp(line);
        std::smatch match;
        if (text.find("were lost") != std::string::npos)
            continue; // the disk may fall behind; then lines are dropped and counted
        ASSERT_TRUE(std::regex_match(text, match, whole)) << line;
        const int t = std::stoi(match[1]);
        EXPECT_LT(next[t], std::stoi(match[2]) + 1) << "out of order: " << line;
        next[t] = std::stoi(match[2]) + 1;
        ++seen;
    }
    EXPECT_GT(seen, threads * each / 2);
}

// A fatal signal that the process survives (a handler before ours may let
// it go on) and the writer thread must not write the same lines.
TEST(DebugLogFile, ASignalFlushAndTheWriterThreadWriteEachLineOnce)
{
    Folder folder;
    DebugLogFile log(folder.path, kDefaultDebugLogLimit);
    const int count = 5000;
    std::atomic<bool> done{false};
    std::thread appender([&] {
        for (int i = 0; i < count; ++i) {
            log.append(0, wxString::Format("line %d", i));
            if (i % 500 == 0)
                log.flush();
        }
        done = true;
    });
    do
        log.flushFromSignal();
    while (!done);
    appender.join();
    log.flushFromSignal();
    log.close();
    std::vector<int> times(count, 0);
    for (const std::string& line : folder.lines()) {
        const std::string text = WithoutStamp(line);
        ASSERT_EQ(text.rfind("line ", 0), 0u) << line;
        ++times.at(std::stoi(text.substr(5)));
    }
    EXPECT_EQ(std::count(times.begin(), times.end(), 1), count);
}

TEST(DebugLogFile, ReachesTheDiskWithinASecondUnasked)
{
    Folder folder;
    DebugLogFile log(folder.path, kDefaultDebugLogLimit);
    log.append(0, "start");
    const auto begin = std::chrono::steady_clock::now();
    while (folder.size() == 0 &&
           std::chrono::steady_clock::now() - begin < TestTime::scaled(std::chrono::milliseconds(2000)))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_LE(std::chrono::steady_clock::now() - begin, TestTime::scaled(std::chrono::milliseconds(1100)));
    EXPECT_EQ(folder.lines().size(), 1u);
}

// In a child process: the debug log opened as the dashboard opens it, a line
// logged, then the process ends by `how` before any flush was asked for.
TEST(DebugLogFile, ExitAndFatalSignalsFlushTheBuffer)
{
    const struct {
        const char* label;
        int signal; // 0: exit()
        bool fault; // a real one, not a sent signal
    } cases[] = {{"exit", 0, false},         {"SIGSEGV", SIGSEGV, false}, {"SIGABRT", SIGABRT, false},
                 {"SIGTERM", SIGTERM, false}, {"SIGINT", SIGINT, false},  {"SIGFPE", SIGFPE, false},
                 {"a protected page written", SIGSEGV, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Folder folder;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const struct rlimit noCore = {0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            InitDebugLog(wxString(folder.path), kDefaultDebugLogLimit);
            DebugLog(0, "the last words");
            if (c.signal == 0)
                std::exit(0);
            if (c.fault) {
                // A page no one may touch: a real fault, not one the
                // undefined-behaviour checks would stop first.
                void* page = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
                if (page != MAP_FAILED)
                    *static_cast<volatile int*>(page) = 1;
            }
            ::raise(c.signal);
            ::_exit(99); // the signal did not end the process
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (c.signal == 0) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        } else if (WIFSIGNALED(status)) {
            EXPECT_EQ(WTERMSIG(status), c.signal);
        } else {
            // The earlier course may be a sanitizer's handler, which reports and exits.
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0 && WEXITSTATUS(status) != 99)
                << status;
        }
        const std::vector<std::string> lines = folder.lines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(WithoutStamp(lines[0]), "the last words");
    }
}
