// The dashboard executable ended as systemd ends it at shutdown.
#include "tests/support/SimProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/dir.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

namespace {

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The one recording in `folder`, or "".
std::string RecordingIn(const std::string& folder)
{
    wxArrayString files;
    if (wxDir::Exists(folder))
        wxDir::GetAllFiles(folder, &files, "*.msl");
    return files.size() == 1 ? std::string(files[0].utf8_str()) : std::string();
}

size_t Lines(const std::string& text)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

// SIGTERM and SIGINT close the recording: the file ends with whole records,
// and the dashboard exits with status 0.
TEST(DashboardSignal, TermAndIntCloseTheRecording)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        SimProcess sim({"--ini", TARN_SAMPLE_DIR "/tarnv3.ini"});
        ASSERT_TRUE(sim.ok());
        const TempDir dir;
        const std::string logs = dir.file("logs");
        const std::string script = "cd " + dir.path + " && XDG_CONFIG_HOME=" + dir.path + " exec " + TARN_TARNDASH +
                                   " --ini " TARN_SAMPLE_DIR "/tarnv3.ini --input ecu --record --size 240x320 --log-dir " +
                                   logs;
        const char* argv[] = {"sh", "-c", script.c_str(), nullptr};
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ), 0);

        // The header (4 lines) and some records on the disk.
        ASSERT_TRUE(WaitFor([&] { return Lines(Contents(RecordingIn(logs))) >= 7; }, 30000))
            << Contents(dir.file("filelog.txt"));

        ASSERT_EQ(kill(pid, signal), 0);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        const std::string text = Contents(RecordingIn(logs));
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(text.back(), '\n');
        // Every record has the header's number of cells.
        std::istringstream lines(text);
        std::string line;
        std::vector<size_t> cells;
        while (std::getline(lines, line))
            cells.push_back(static_cast<size_t>(std::count(line.begin(), line.end(), '\t')));
        ASSERT_GT(cells.size(), 4u);
        for (size_t i = 3; i < cells.size(); ++i)
            EXPECT_EQ(cells[i], cells[2]) << "line " << i + 1;
        EXPECT_NE(Contents(dir.file("filelog.txt")).find("recorded "), std::string::npos);
    }
}
