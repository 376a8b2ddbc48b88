#pragma once
// Runs tarn-ecu-sim as a child process on a pseudo-terminal linked into a
// temporary directory, and points "COM1:" at it, for end-to-end tests.
#include "tests/ecu/PtyPeer.h"

#include <csignal>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

class SimProcess {
public:
    static std::string binary() { return TARN_BINARY_DIR "/tools/tarn-ecu-sim/tarn-ecu-sim"; }

    // Starts the simulator with `options` (plus --link and --log); ok() tells
    // whether it came up and announced its terminal.
    explicit SimProcess(const std::vector<std::string>& options)
        : link(dir.file("ttyECU")), logFile(dir.file("sim.log")), env(link)
    {
        start(options);
    }
    ~SimProcess() { stop(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ok() const { return pid > 0 && !device.empty(); }

    void start(const std::vector<std::string>& options)
    {
        std::vector<std::string> args = {binary(), "--link", link, "--log", logFile};
        args.insert(args.end(), options.begin(), options.end());
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(&arg[0]);
        argv.push_back(nullptr);
        int out[2];
        if (::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        stdoutFd = out[0];
        // The first line is the terminal's path: from then on it serves.
        device.clear();
        pollfd p = {stdoutFd, POLLIN, 0};
        char c;
        while (pid > 0 && ::poll(&p, 1, 5000) > 0 && ::read(stdoutFd, &c, 1) == 1 && c != '\n')
            device += c;
    }

    void stop()
    {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            int status;
            ::waitpid(pid, &status, 0);
            pid = -1;
        }
        if (stdoutFd >= 0)
            ::close(stdoutFd);
        stdoutFd = -1;
    }

    std::string log() const
    {
        std::ifstream in(logFile);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    // How many lines of the simulator's log contain `text`.
    int logCount(const std::string& text) const
    {
        std::istringstream in(log());
        int n = 0;
        for (std::string line; std::getline(in, line);)
            n += line.find(text) != std::string::npos;
        return n;
    }

    TempDir dir;
    std::string link;
    std::string logFile;
    std::string device;

private:
    SerialPortEnv env;
    pid_t pid = -1;
    int stdoutFd = -1;
};
