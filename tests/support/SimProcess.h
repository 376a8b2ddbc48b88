#pragma once
// The simulator program as a child process on a pseudo-terminal linked into a
// temporary folder, for tests and benchmarks end to end. While it lives,
// "COM1:" points at its terminal.
#include "tests/support/SerialPortEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestTime.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

class SimProcess {
public:
    static std::string binary() { return TARN_BINARY_DIR "/tools/tarn-ecu-sim/tarn-ecu-sim"; }

    SimProcess() : link(dir.file("ttyECU")), logFile(dir.file("sim.log")), env(link) {}
    // Starts at once; ok() tells whether it came up.
    explicit SimProcess(const std::vector<std::string>& options) : SimProcess() { start(options); }
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ok() const { return pid > 0 && !device.empty(); }

    // Starts the simulator with `options`, plus --link (unless `withLink` is
    // false) and --log (unless given); true when it announced its terminal.
    bool start(std::vector<std::string> options, bool withLink = true)
    {
        stop();
        std::vector<std::string> args = {binary()};
        if (withLink)
            args.insert(args.end(), {"--link", link});
        if (std::find(options.begin(), options.end(), "--log") == options.end())
            args.insert(args.end(), {"--log", logFile});
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(&arg[0]);
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0)
            return false;
        const std::string errorsFile = dir.file("stderr.txt");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        posix_spawn_file_actions_addopen(&actions, 2, errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        // Paced like a real ECU, which no load on this machine holds up: at a
        // real-time priority where that is allowed.
        posix_spawnattr_t realTime;
        posix_spawnattr_init(&realTime);
        sched_param priority {};
        priority.sched_priority = 1;
        posix_spawnattr_setflags(&realTime, POSIX_SPAWN_SETSCHEDULER);
        posix_spawnattr_setschedpolicy(&realTime, SCHED_FIFO);
        posix_spawnattr_setschedparam(&realTime, &priority);
        if (posix_spawn(&pid, argv[0], &actions, &realTime, argv.data(), environ) != 0 &&
            posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawnattr_destroy(&realTime);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        stdoutFd = out[0];
        ::fcntl(stdoutFd, F_SETFL, O_NONBLOCK);
        pending.clear();
        // The first line is the terminal's path: from then on it serves.
        device = pid > 0 ? readLine(5000) : std::string();
        return ok();
    }

    // The next line of the simulator's standard output, or "" after `ms` (scaled).
    std::string readLine(int ms)
    {
        const auto until = std::chrono::steady_clock::now() + TestTime::scaled(std::chrono::milliseconds(ms));
        for (;;) {
            const size_t eol = pending.find('\n');
            if (eol != std::string::npos) {
                std::string line = pending.substr(0, eol);
                pending.erase(0, eol + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                until - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return "";
            pollfd p = {stdoutFd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char buffer[256];
            const ssize_t n = ::read(stdoutFd, buffer, sizeof buffer);
            if (n <= 0)
                return "";
            pending.append(buffer, static_cast<size_t>(n));
        }
    }

    // Sends SIGTERM and returns the exit status (128 + signal when a signal
    // ended it, -1 when it did not end within two seconds, scaled).
    int terminate()
    {
        if (pid <= 0)
            return -1;
        ::kill(pid, SIGTERM);
        return waitExit(2000);
    }

    int waitExit(int ms)
    {
        const auto until = std::chrono::steady_clock::now() + TestTime::scaled(std::chrono::milliseconds(ms));
        while (pid > 0 && std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return -1;
    }

    void stop()
    {
        if (pid > 0 && terminate() < 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            pid = -1;
        }
        if (stdoutFd >= 0)
            ::close(stdoutFd);
        stdoutFd = -1;
    }

    std::string errors() const { return read(dir.file("stderr.txt")); }
    std::string logPath() const { return logFile; }
    std::string log() const { return read(logFile); }
    // How many lines of the simulator's log contain `text`.
    int logCount(const std::string& text) const
    {
        std::istringstream in(log());
        int n = 0;
        for (std::string line; std::getline(in, line);)
            n += line.find(text) != std::string::npos;
        return n;
    }

    // Waits until the simulator's log holds `count` lines that match
    // `pattern`; returns the last of them, or "" when `ms` (scaled) passed first.
    std::string waitForLog(const std::string& pattern, int count, long ms = 3000) const
    {
        const std::regex wanted(pattern);
        const auto until = std::chrono::steady_clock::now() + TestTime::scaled(std::chrono::milliseconds(ms));
        for (;;) {
            std::istringstream in(log());
            int n = 0;
            for (std::string line; std::getline(in, line);)
                if (std::regex_search(line, wanted) && ++n == count)
                    return line;
            if (std::chrono::steady_clock::now() >= until)
                return "";
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    TempDir dir;
    std::string link;
    std::string logFile;
    std::string device;
    pid_t pid = -1;

private:
    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

    SerialPortEnv env;
    int stdoutFd = -1;
    std::string pending;
};
