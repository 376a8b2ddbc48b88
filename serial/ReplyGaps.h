#pragma once
// The longest pause between two arrivals of bytes since the last request: how
// a line hands a reply over (a USB adapter in packets up to 16 ms apart, a
// native port byte by byte). The port's reads report each arrival.
#include <chrono>

class ReplyGaps {
public:
    using Clock = std::chrono::steady_clock;

    // A request went out: what comes next is a new reply.
    void restart();
    // Bytes came now.
    void arrived();
    // Zero until a reply has come in two parts.
    Clock::duration largest() const { return longest; }

private:
    Clock::time_point last;
    bool any = false;
    Clock::duration longest{};
};
