#pragma once
// An ECU behind a USB serial adapter, on a pseudo-terminal. The ECU answers
// each command at the line's speed; the adapter hands what it has received
// over only every 16 ms, in packets. A share of the replies get one noise
// byte in front, and the bytes past a reply's own length (the noisy reply's
// last byte) may be held back up to a limit more. Every reply is kept, with
// the pause the line really left after its first bytes of the reply's own
// length: a busy machine may stretch a pause past what the line promised.
#include "tests/support/PtyPeer.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

class PacketLine {
public:
    using Clock = std::chrono::steady_clock;

    struct Faults {
        int baud = 9600;
        int packetMs = 16;
        double noise = 0.3;  // share of replies with a noise byte in front
        int holdBackMs = 0;  // the bytes past the reply's own length come up to so much later
        uint64_t seed = 1;
    };
    // The reply to one command (as the client wrote it); empty: none.
    using Firmware = std::function<std::string(const std::string& command)>;

    struct Reply {
        std::string own;  // the firmware's bytes
        std::string line; // what went on the line
        // From the write of the line's first own.size() bytes to the write of
        // the rest; negative when nothing followed them.
        Clock::duration tail = Clock::duration(-1);
    };

    PacketLine(const std::string& link, const Faults& faults, Firmware firmware);
    ~PacketLine();
    PacketLine(const PacketLine&) = delete;
    PacketLine& operator=(const PacketLine&) = delete;

    bool ok() const { return peer.ok(); }
    // The replies so far, oldest first.
    std::vector<Reply> replies() const;

private:
    struct Chunk {
        Clock::time_point due;
        std::string bytes;
        size_t reply;
        size_t first; // line index of bytes[0]
    };

    void run();
    void answer(const std::string& command, Clock::time_point now);
    Clock::time_point packetAfter(Clock::time_point t) const;
    void deliver(const Chunk& chunk);

    PtyPeer peer;
    Faults faults;
    Firmware firmware;
    std::mt19937_64 random;
    Clock::time_point start = Clock::now();
    Clock::time_point lineFree = start; // when the ECU has sent all it was asked for
    std::deque<Chunk> pending;
    mutable std::mutex mutex;
    std::vector<Reply> sent;
    std::vector<Clock::time_point> endWritten; // per reply: when its own length was written
    std::atomic<bool> stopping{false};
    std::thread thread;
};
