#pragma once
// The serial line between the firmware and a client on the pseudo-terminal:
// hears commands only when the client talks at the firmware's current speed,
// answers one command at a time, paces each reply at 10 bits per byte, spoils
// replies as the fault settings ask, and "unplugs" the adapter after every N
// replies. Single-threaded: one poll loop waits for input and for the moment
// the next reply byte is due.
#include "tools/tarn-ecu-sim/FaultInjector.h"
#include "tools/tarn-ecu-sim/PtyEndpoint.h"
#include "tools/tarn-ecu-sim/SerialFirmware.h"
#include "tools/tarn-ecu-sim/SimLog.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

struct LineSettings {
    std::string link;     // empty: no link
    long hangupAfter = 0; // 0: never
};

class Simulator {
public:
    Simulator(SerialFirmware& firmware, FaultInjector& faults, SimLog& log, LineSettings line,
              FILE* announce);
    ~Simulator();

    // Opens the terminal, points the link at it and announces its path.
    bool start(std::string& error);
    // Serves until `stop` becomes non-zero. `waitMask` is the signal mask to
    // wait with (the stop signals unblocked). Returns 0, or 1 after a failure
    // that leaves no terminal to serve, with `error` set.
    int run(const volatile std::sig_atomic_t& stop, const sigset_t* waitMask, std::string& error);
    // Removes the link (if it still points to our terminal) and closes it.
    void shutdown();

    // How long a command's first bytes wait for the rest before they count as garbage.
    static constexpr std::chrono::milliseconds kPrefixWait{100};
    // Longest wait for the client to read a reply before the terminal is closed.
    static constexpr std::chrono::milliseconds kHangupGrace{1000};
    // The kernel hands bytes written to the master to the client's side a
    // little later; until then the client's unread count does not show them.
    static constexpr std::chrono::milliseconds kHangupSettle{20};
    static constexpr size_t kReceiveLimit = 4096;

private:
    using Clock = std::chrono::steady_clock;
    struct ReceivedByte {
        unsigned char value;
        int baud; // the client's line speed when it arrived
    };
    struct Transmission {
        std::string bytes;
        int baud = 0;
        bool isAnswer = false;
        size_t sent = 0;
        Clock::time_point start;
        size_t stallAfter = 0;
        std::chrono::milliseconds stall{0};
    };

    bool openTerminal(std::string& error);
    void receive();
    void serveCommands(Clock::time_point now);
    void begin(const FirmwareReply& reply, int baud);
    void pump(Clock::time_point now);
    Clock::time_point due(size_t index) const;
    bool hangUp(std::string& error);
    void announce(const std::string& text);

    SerialFirmware& ecu;
    FaultInjector& spoiler;
    SimLog& log;
    LineSettings settings;
    FILE* out;
    PtyEndpoint pty;

    std::vector<ReceivedByte> received;
    Clock::time_point lastReceived;
    size_t overflowed = 0;
    bool sending = false;
    Transmission tx;
    long answers = 0;
    bool hangupPending = false;
    Clock::time_point hangupCheck;
    Clock::time_point hangupDeadline;
    bool readFailed = false;
};
