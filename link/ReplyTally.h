#pragma once
// What became of a link's last 100 replies: taken, or refused (noise, a wrong
// length, a bad CRC, or withdrawn after it was taken). A line that refuses
// many also lets through replies that no check can refuse, spoiled to the
// right length. Not thread-safe: the worker guards it.
#include <array>

class ReplyTally {
public:
    static constexpr int kKept = 100;

    void taken() { add(false); }
    void refused() { add(true); }
    // The newest reply was taken, then withdrawn: it counts as refused.
    void withdrawn();

    int replies() const { return count; }
    // Refused among the last 100, as a percent: until 100 have come, those
    // not come yet count as taken, so that one cut reply at the start does
    // not pass for a noisy line.
    int refusedPercent() const { return refusedKept * 100 / kKept; }

private:
    void add(bool refusal);

    std::array<bool, kKept> refusals{};
    int next = 0;  // where the next reply goes
    int count = 0; // replies kept, up to kKept
    int refusedKept = 0;
};
