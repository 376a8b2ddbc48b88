#include "tools/tarn-ecu-sim/Simulator.h"

#include "serial/LineTiming.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::chrono::milliseconds kHangupPoll{2};

std::string Quoted(const std::string& bytes)
{
    return "\"" + Printable(bytes) + "\"";
}

} // namespace

constexpr std::chrono::milliseconds Simulator::kPrefixWait;
constexpr std::chrono::milliseconds Simulator::kHangupGrace;
constexpr std::chrono::milliseconds Simulator::kHangupSettle;

Simulator::Simulator(SerialFirmware& firmware, FaultInjector& faults, SimLog& simLog,
                     LineSettings line, FILE* announceTo)
    : ecu(firmware), spoiler(faults), log(simLog), settings(std::move(line)), out(announceTo)
{
}

Simulator::~Simulator()
{
    shutdown();
}

void Simulator::announce(const std::string& text)
{
    if (!out)
        return;
    std::fprintf(out, "%s\n", text.c_str());
    std::fflush(out);
}

bool Simulator::openTerminal(std::string& error)
{
    if (!pty.open(error))
        return false;
    if (!settings.link.empty() && !PointLink(settings.link, pty.devicePath(), error)) {
        pty.close();
        return false;
    }
    announce(pty.devicePath());
    return true;
}

bool Simulator::start(std::string& error)
{
    if (!openTerminal(error))
        return false;
    log.line("device " + pty.devicePath() + (settings.link.empty() ? "" : " at " + settings.link) +
             ", " + ecu.stateName() + " (" + std::to_string(ecu.lineSpeed()) + " baud)");
    return true;
}

void Simulator::shutdown()
{
    if (!pty.isOpen())
        return;
    if (!settings.link.empty())
        RemoveLinkTo(settings.link, pty.devicePath());
    pty.close();
}

int Simulator::run(const volatile std::sig_atomic_t& stop, const sigset_t* waitMask,
                   std::string& error)
{
    while (!stop) {
        const Clock::time_point now = Clock::now();
        // How long to sleep: until the next reply byte is due, the hang-up
        // check, or the end of the wait for a command's remaining bytes.
        bool timed = false;
        Clock::time_point wake = now;
        if (sending) {
            timed = true;
            wake = due(tx.sent);
        } else if (hangupPending) {
            timed = true;
            wake = now + kHangupPoll;
        } else if (!received.empty()) {
            timed = true;
            wake = lastReceived + kPrefixWait;
        }
        timespec timeout {};
        if (timed) {
            const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(wake - now);
            const long long ns = wait.count() > 0 ? wait.count() : 0;
            timeout.tv_sec = static_cast<time_t>(ns / 1000000000LL);
            timeout.tv_nsec = static_cast<long>(ns % 1000000000LL);
        }
        pollfd fd {pty.masterFd(), POLLIN, 0};
        const int ready = ppoll(&fd, 1, timed ? &timeout : nullptr, waitMask);
        if (ready < 0 && errno != EINTR) {
            error = std::string("waiting for the terminal failed: ") + std::strerror(errno);
            return 1;
        }
        if (ready > 0 && (fd.revents & (POLLIN | POLLHUP | POLLERR)))
            receive();
        if (readFailed) {
            // We hold the slave end ourselves, so this is not a client leaving:
            // the terminal is broken. A fresh one keeps the simulator serving.
            readFailed = false;
            log.line("terminal failed; opening a new one");
            if (!hangUp(error))
                return 1;
            continue;
        }
        if (sending)
            pump(Clock::now());
        if (hangupPending && !sending) {
            const Clock::time_point at = Clock::now();
            if ((at >= hangupCheck && pty.unreadByClient() == 0) || at >= hangupDeadline) {
                if (!hangUp(error))
                    return 1;
            }
            continue;
        }
        if (!sending)
            serveCommands(Clock::now());
    }
    return 0;
}

void Simulator::receive()
{
    unsigned char buffer[512];
    for (;;) {
        const ssize_t n = ::read(pty.masterFd(), buffer, sizeof buffer);
        if (n > 0) {
            const int baud = pty.clientBaud();
            for (ssize_t i = 0; i < n; ++i) {
                if (received.size() < kReceiveLimit)
                    received.push_back({buffer[i], baud});
                else
                    ++overflowed; // a real receive buffer overruns the same way
            }
            lastReceived = Clock::now();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        readFailed = true;
        break;
    }
    if (overflowed) {
        log.line("receive buffer full: lost " + std::to_string(overflowed) + " bytes");
        overflowed = 0;
    }
}

void Simulator::serveCommands(Clock::time_point now)
{
    std::string dropped;
    auto flushDropped = [&]() {
        if (dropped.empty())
            return;
        log.line("dropped " + std::to_string(dropped.size()) + " bytes that start no command of " +
                 ecu.stateName() + ": " + Quoted(dropped));
        dropped.clear();
    };
    while (!received.empty() && !sending) {
        const int modeBaud = ecu.lineSpeed();
        // Bytes sent at another speed arrive as garbage: the firmware cannot
        // make out a command in them.
        size_t wrong = 0;
        while (wrong < received.size() && received[wrong].baud != modeBaud)
            ++wrong;
        if (wrong > 0) {
            flushDropped();
            std::string bytes;
            for (size_t i = 0; i < wrong; ++i)
                bytes += static_cast<char>(received[i].value);
            const int baud = received[0].baud;
            log.line("ignored " + std::to_string(wrong) + " bytes " + Quoted(bytes) + " sent at " +
                     (baud > 0 ? std::to_string(baud) + " baud" : std::string("an unknown speed")) +
                     " (" + ecu.stateName() + " listens at " + std::to_string(modeBaud) + ")");
            received.erase(received.begin(), received.begin() + static_cast<long>(wrong));
            continue;
        }
        std::vector<unsigned char> head;
        const size_t longest = ecu.longestCommand();
        while (head.size() < received.size() && head.size() < longest &&
               received[head.size()].baud == modeBaud)
            head.push_back(received[head.size()].value);
        const size_t good = head.size();
        const CommandStart match = ecu.match(head.data(), good);
        if (match.kind == CommandStart::Prefix) {
            const bool moreCannotCome = good < received.size();
            if (!moreCannotCome && now < lastReceived + kPrefixWait)
                break; // the rest of the command may still be on its way
            dropped += static_cast<char>(head[0]);
            received.erase(received.begin());
            continue;
        }
        if (match.kind != CommandStart::Complete || match.length > good) {
            dropped += static_cast<char>(head[0]);
            received.erase(received.begin());
            continue;
        }
        flushDropped();
        received.erase(received.begin(), received.begin() + static_cast<long>(match.length));
        const FirmwareReply reply = ecu.serve(head.data(), match.length, log);
        // The reply goes out at the speed the command came in at.
        begin(reply, modeBaud);
    }
    flushDropped();
}

void Simulator::begin(const FirmwareReply& reply, int baud)
{
    if (reply.bytes.empty())
        return;
    tx = Transmission();
    tx.baud = baud;
    tx.isAnswer = reply.isAnswer;
    tx.start = Clock::now();
    if (!reply.isAnswer) {
        tx.bytes = reply.bytes;
    } else {
        const SpoiledReply spoiled = spoiler.apply(reply.bytes);
        if (spoiled.dropped) {
            log.line("fault: reply of " + std::to_string(reply.bytes.size()) + " bytes dropped");
            return;
        }
        if (spoiled.noiseBytes)
            log.line("fault: " + std::to_string(spoiled.noiseBytes) + " noise bytes before the reply");
        if (spoiled.lengthChange < 0)
            log.line("fault: reply " + std::to_string(-spoiled.lengthChange) + " bytes short");
        if (spoiled.lengthChange > 0)
            log.line("fault: reply " + std::to_string(spoiled.lengthChange) + " bytes long");
        if (spoiled.stallMs)
            log.line("fault: stall of " + std::to_string(spoiled.stallMs) + " ms after " +
                     std::to_string(spoiled.stallAfter) + " bytes");
        tx.bytes = spoiled.bytes;
        tx.stallAfter = spoiled.stallAfter;
        tx.stall = std::chrono::milliseconds(spoiled.stallMs);
    }
    sending = !tx.bytes.empty();
}

Simulator::Clock::time_point Simulator::due(size_t index) const
{
    // A byte is there once its last bit has arrived.
    Clock::time_point when = tx.start + characterTime(tx.baud) * static_cast<long long>(index + 1);
    if (tx.stall.count() > 0 && index >= tx.stallAfter)
        when += tx.stall;
    return when;
}

void Simulator::pump(Clock::time_point now)
{
    if (pty.clientBaud() != tx.baud) {
        // The client has moved to another speed: from here on it would hear garbage.
        log.line("reply cut after " + std::to_string(tx.sent) + " of " +
                 std::to_string(tx.bytes.size()) + " bytes: the client changed its line speed");
        sending = false;
        return;
    }
    size_t ready = tx.sent;
    while (ready < tx.bytes.size() && due(ready) <= now)
        ++ready;
    if (ready > tx.sent) {
        const ssize_t n = ::write(pty.masterFd(), tx.bytes.data() + tx.sent, ready - tx.sent);
        // Bytes a client does not take in are lost, as on a serial line
        // whose receiver has overrun.
        (void)n;
        tx.sent = ready;
    }
    if (tx.sent < tx.bytes.size())
        return;
    sending = false;
    if (!tx.isAnswer)
        return;
    log.line("reply " + std::to_string(tx.bytes.size()) + " bytes");
    ++answers;
    if (settings.hangupAfter > 0 && answers >= settings.hangupAfter) {
        hangupPending = true;
        hangupCheck = Clock::now() + kHangupSettle;
        hangupDeadline = Clock::now() + kHangupGrace;
    }
}

bool Simulator::hangUp(std::string& error)
{
    // Closing both ends is what the client sees when the adapter is pulled;
    // a new terminal at the same link is the adapter plugged back in. The
    // firmware itself keeps running in its mode.
    const std::string old = pty.devicePath();
    pty.close();
    received.clear();
    hangupPending = false;
    answers = 0;
    if (!openTerminal(error)) {
        log.line("hang-up of " + old + "; no new terminal: " + error);
        return false;
    }
    log.line("hang-up of " + old + "; new device " + pty.devicePath());
    return true;
}
