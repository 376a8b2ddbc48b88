#pragma once
// The far end of a pseudo-terminal, standing in for an ECU in tests of the
// real serial device layer. The terminal is reachable through a symbolic link
// in a fresh temporary directory, as the dashboard finds its adapter.
#include "tests/support/TestTime.h"

#include <pty.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>

class PtyPeer {
public:
    // Opens a terminal and links `link` to it (replacing an older link).
    explicit PtyPeer(const std::string& linkPath) : link(linkPath) { open(); }
    ~PtyPeer()
    {
        join();
        hangUp();
        ::unlink(link.c_str());
    }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool ok() const { return master >= 0; }
    // The terminal's own end, for a peer that keeps its own time.
    int masterFd() const { return master; }

    // A new terminal at the same link: the adapter plugged in again.
    void open()
    {
        int slaveFd = -1;
        char name[128] = {};
        if (::openpty(&master, &slaveFd, name, nullptr, nullptr) != 0) {
            master = -1;
            return;
        }
        // Raw at once, before the client opens it: no echo, no line editing.
        termios tio;
        ::tcgetattr(slaveFd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(slaveFd, TCSANOW, &tio);
        slave = slaveFd;
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        ::unlink(link.c_str());
        if (::symlink(name, link.c_str()) != 0)
            hangUp();
    }

    // Closes the terminal: the client's device is gone.
    void hangUp()
    {
        if (slave >= 0)
            ::close(slave);
        if (master >= 0)
            ::close(master);
        slave = master = -1;
    }

    void send(const std::string& bytes)
    {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t r = ::write(master, bytes.data() + done, bytes.size() - done);
            if (r > 0)
                done += static_cast<size_t>(r);
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    // Sends each part after its delay (milliseconds from now), on a thread.
    void sendLater(std::vector<std::pair<int, std::string>> parts)
    {
        join();
        sender = std::thread([this, parts] {
            const auto start = std::chrono::steady_clock::now();
            for (const auto& part : parts) {
                std::this_thread::sleep_until(start + std::chrono::milliseconds(part.first));
                send(part.second);
            }
        });
    }
    void join()
    {
        if (sender.joinable())
            sender.join();
    }

    // What the client wrote, waiting up to `ms` (scaled) for the first byte.
    std::string receive(int ms = 200)
    {
        std::string got;
        pollfd p = {master, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(TestTime::scaled(ms))) <= 0)
            return got;
        char buffer[256];
        for (;;) {
            const ssize_t r = ::read(master, buffer, sizeof buffer);
            if (r <= 0)
                break;
            got.append(buffer, static_cast<size_t>(r));
        }
        return got;
    }

    // The terminal's settings as the client left them.
    termios settings() const
    {
        termios tio = {};
        ::tcgetattr(master, &tio);
        return tio;
    }

private:
    std::string link;
    int master = -1;
    int slave = -1;
    std::thread sender;
};
