#pragma once
// How long the line must stay quiet after the bytes of a reply that carries
// no check byte before the reply is taken as whole: longer than the largest
// gap the line has shown inside its recent replies, and never shorter than
// the least window chosen (kShortestQuietMs by default). A reply whose last
// bytes come after a shorter pause would pass for another reply, its values
// shifted by a noise byte in front.
#include "serial/LineTiming.h"

#include <array>
#include <chrono>

class QuietWindow {
public:
    // The gaps of so many recent replies count: a single stall of the
    // reader's own thread does not slow the link for good.
    static constexpr int kRemembered = 100;

    explicit QuietWindow(int leastMs = kShortestQuietMs);

    void setLeastMs(int ms);
    int leastMs() const { return least; }
    // The window now, in milliseconds.
    int ms() const;

    // The largest gap inside one reply (zero when it came in one piece).
    void learn(std::chrono::nanoseconds gap);
    // Bytes came after the window had closed on a reply: the gap was at
    // least the whole window, so the next one is wider.
    void lateBytes();

private:
    int least;
    std::array<int, kRemembered> gapsMs{};
    int next = 0;
};
