#pragma once
// The runtime data blocks the simulated ECU sent most recently, with the
// (simulated) time each went out: the values a tick may show as live must
// all come from one of them, sent no longer ago than values stay live.
#include "base/ValueMap.h"

#include <array>
#include <chrono>
#include <string>

class BlockDecoder;

class SentBlocks {
public:
    using Clock = std::chrono::steady_clock;
    // Far more blocks than go out while a value stays live (1 s, 3 ticks,
    // at most a handful of attempts each).
    static constexpr size_t kKept = 64;

    // Any thread, one at a time; read only after the sender is done.
    void add(const std::string& block, Clock::time_point sentAt);

    // Whether the values in `shown` (names to values; a NaN is no number
    // and counts as nothing shown) are all the values `decoder` makes of one
    // block sent at `since` or later.
    bool explains(const ValueMap& shown, Clock::time_point since, BlockDecoder& decoder) const;

    long count() const { return total; }

private:
    struct Entry {
        std::string block;
        Clock::time_point sentAt;
    };
    std::array<Entry, kKept> ring;
    long total = 0;
};
