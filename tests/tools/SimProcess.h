#pragma once
// Test helpers for the simulator as a program: start it as a child on a link
// in a temporary folder, and talk to it as a serial client would (raw mode,
// a line speed, non-blocking reads against a deadline).
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace simtest {

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

inline std::string MakeTempDir()
{
    char name[] = "/tmp/tarn-ecu-sim-test-XXXXXX";
    const char* made = mkdtemp(name);
    EXPECT_NE(made, nullptr);
    return made ? made : "/tmp";
}

inline std::string Fixture(const char* name)
{
    return std::string(TARN_TEST_DATA_DIR) + "/tools/fixtures/" + name;
}

inline std::string ReadFile(const std::string& path)
{
    std::string text;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        text.append(buffer, n);
    std::fclose(f);
    return text;
}

// The simulator as a child process; killed on destruction if still running.
class SimProcess {
public:
    SimProcess() : dir(MakeTempDir()), link(dir + "/ecu") {}
    ~SimProcess()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (outFd >= 0)
            close(outFd);
        unlink(link.c_str());
        unlink((dir + "/stderr.txt").c_str());
        unlink((dir + "/sim.log").c_str());
        rmdir(dir.c_str());
    }

    // Starts the simulator with `args` plus --link; false when it does not
    // announce a device within two seconds.
    bool start(std::vector<std::string> args, bool withLink = true)
    {
        if (withLink) {
            args.push_back("--link");
            args.push_back(link);
        }
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return false;
        const std::string errPath = dir + "/stderr.txt";
        pid = fork();
        if (pid == 0) {
            dup2(pipeFds[1], 1);
            const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (err >= 0)
                dup2(err, 2);
            close(pipeFds[0]);
            std::vector<char*> argv;
            std::string program = TARN_ECU_SIM;
            argv.push_back(&program[0]);
            for (std::string& arg : args)
                argv.push_back(&arg[0]);
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        close(pipeFds[1]);
        outFd = pipeFds[0];
        fcntl(outFd, F_SETFL, O_NONBLOCK);
        device = readLine(2000);
        return !device.empty();
    }

    // The next line of the simulator's standard output, or "" after `ms`.
    std::string readLine(int ms)
    {
        const Clock::time_point start = Clock::now();
        for (;;) {
            const size_t eol = pending.find('\n');
            if (eol != std::string::npos) {
                std::string line = pending.substr(0, eol);
                pending.erase(0, eol + 1);
                return line;
            }
            const int left = ms - static_cast<int>(MsSince(start));
            if (left <= 0)
                return "";
            pollfd fd {outFd, POLLIN, 0};
            if (poll(&fd, 1, left) <= 0)
                continue;
            char buffer[256];
            const ssize_t n = read(outFd, buffer, sizeof buffer);
            if (n <= 0)
                return "";
            pending.append(buffer, static_cast<size_t>(n));
        }
    }

    // Sends SIGTERM and returns the exit status (-1 when it does not exit in 2 s).
    int terminate()
    {
        if (pid <= 0)
            return -1;
        kill(pid, SIGTERM);
        return waitExit(2000);
    }

    int waitExit(int ms)
    {
        const Clock::time_point start = Clock::now();
        while (MsSince(start) < ms) {
            int status = 0;
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            usleep(2000);
        }
        return -1;
    }

    std::string errors() const { return ReadFile(dir + "/stderr.txt"); }
    std::string logPath() const { return dir + "/sim.log"; }

    std::string dir;
    std::string link;
    std::string device;
    pid_t pid = -1;

private:
    int outFd = -1;
    std::string pending;
};

// Runs the simulator to its end (for option errors); returns the exit status.
inline int RunToExit(const std::vector<std::string>& args, std::string& errors, std::string& output)
{
    SimProcess sim;
    sim.start(args, false);
    output = sim.device; // the first line, if any
    const int status = sim.waitExit(2000);
    errors = sim.errors();
    return status;
}

// A serial client on the simulator's terminal.
class PtyClient {
public:
    ~PtyClient() { closeDevice(); }

    bool openDevice(const std::string& path, int baud)
    {
        closeDevice();
        fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        return fd >= 0 && setBaud(baud);
    }

    void closeDevice()
    {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }

    bool setBaud(int baud)
    {
        termios settings {};
        if (tcgetattr(fd, &settings) != 0)
            return false;
        cfmakeraw(&settings);
        const speed_t speed = baud == 19200 ? B19200 : baud == 9600 ? B9600 : B38400;
        cfsetispeed(&settings, speed);
        cfsetospeed(&settings, speed);
        settings.c_cflag |= CS8 | CLOCAL | CREAD;
        settings.c_cflag &= ~(PARENB | CSTOPB | CRTSCTS);
        settings.c_cc[VMIN] = 0;
        settings.c_cc[VTIME] = 0;
        return tcsetattr(fd, TCSANOW, &settings) == 0;
    }

    bool send(const std::string& bytes)
    {
        sentAt = Clock::now();
        return write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Reads until `count` bytes have come or `ms` have passed since the call.
    // `lastByteMs` receives the time from the last send() to the last byte.
    std::string readFor(size_t count, int ms, double* lastByteMs = nullptr)
    {
        std::string got;
        const Clock::time_point start = Clock::now();
        hungUp = false;
        while (got.size() < count) {
            const int left = ms - static_cast<int>(MsSince(start));
            if (left <= 0)
                break;
            pollfd p {fd, POLLIN, 0};
            const int ready = poll(&p, 1, left);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                break;
            char buffer[256];
            const ssize_t n = read(fd, buffer, std::min(sizeof buffer, count - got.size()));
            if (n > 0) {
                got.append(buffer, static_cast<size_t>(n));
                if (lastByteMs)
                    *lastByteMs = MsSince(sentAt);
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
            hungUp = true; // read 0 or EIO on a terminal: the other end is gone
            break;
        }
        return got;
    }

    // Sends `command` and collects the reply for up to `ms`.
    std::string ask(const std::string& command, size_t count, int ms = 150)
    {
        drain();
        if (!send(command))
            return "<send failed>";
        return readFor(count, ms);
    }

    void drain()
    {
        char buffer[256];
        while (read(fd, buffer, sizeof buffer) > 0) {
        }
    }

    // Waits up to `ms` for the device to hang up (POLLHUP, EOF or EIO).
    bool waitHangup(int ms)
    {
        const Clock::time_point start = Clock::now();
        while (MsSince(start) < ms) {
            pollfd p {fd, POLLIN, 0};
            poll(&p, 1, 10);
            if (p.revents & (POLLHUP | POLLERR))
                return true;
            char c;
            const ssize_t n = read(fd, &c, 1);
            if (n == 0 || (n < 0 && errno == EIO))
                return true;
        }
        return false;
    }

    int fd = -1;
    bool hungUp = false;

private:
    Clock::time_point sentAt = Clock::now();
};

} // namespace simtest
