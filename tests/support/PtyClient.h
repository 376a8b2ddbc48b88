#pragma once
// A serial client on a terminal, as the dashboard's adapter would be: raw
// mode, a line speed, non-blocking reads against a deadline.
#include "tests/support/TestTime.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

class PtyClient {
public:
    using Clock = std::chrono::steady_clock;
    static double MsSince(Clock::time_point start)
    {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }

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
        sentAt = std::chrono::steady_clock::now();
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

    double msSinceSend() const { return MsSince(sentAt); }

    // Sends `command` and reads its reply: until `expected` bytes have come,
    // however long a loaded machine takes, then for `quietMs` more, so that
    // a byte too many shows.
    std::string ask(const std::string& command, size_t expected, int quietMs = 30)
    {
        drain();
        if (!send(command))
            return "<send failed>";
        std::string got = readFor(expected, static_cast<int>(TestTime::scaled(3000)));
        return got + readFor(256, quietMs);
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
        ms = static_cast<int>(TestTime::scaled(ms));
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
    Clock::time_point sentAt = std::chrono::steady_clock::now();
};
