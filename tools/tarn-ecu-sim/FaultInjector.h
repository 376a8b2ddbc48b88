#pragma once
// Spoils replies on purpose, for testing how a dashboard copes with a bad
// line. Each fault is drawn independently per reply from one seeded
// generator, so a run with the same seed and the same exchange repeats.
#include <cstdint>
#include <random>
#include <string>

struct FaultSettings {
    double noise = 0;     // chance of 1 to 4 garbage bytes before the reply
    double drop = 0;      // chance of no reply at all
    double shortReply = 0; // chance of losing 1 to 4 bytes at the end
    double longReply = 0; // chance of 1 to 4 extra bytes at the end
    int stallMs = 0;      // pause in the middle of a reply
    double stallRate = 1; // chance that a reply stalls when stallMs > 0
    // Faults of the framed envelope, drawn per reply frame.
    double badCrc = 0;     // chance of a CRC that does not match
    double badStatus = 0;  // chance of an error status instead of the answer
    double shortFrame = 0; // chance of a sound frame carrying 1 to 4 bytes less than asked
    double longFrame = 0;  // chance of a sound frame carrying more than the whole block
};

enum class FrameFault { None, BadCrc, BadStatus, ShortFrame, LongFrame };

struct SpoiledReply {
    std::string bytes;
    bool dropped = false;
    size_t noiseBytes = 0;
    int lengthChange = 0;     // bytes removed (negative) or added (positive) at the end
    size_t stallAfter = 0;    // bytes sent before the pause
    int stallMs = 0;          // 0: no pause
};

class FaultInjector {
public:
    FaultInjector(const FaultSettings& settings, uint64_t seed);
    SpoiledReply apply(const std::string& reply);
    bool any() const;
    // The fault for the next reply frame (at most one), and for ShortFrame
    // and LongFrame how many bytes (1 to 4).
    FrameFault drawFrameFault(size_t& bytes);

private:
    bool chance(double probability);
    size_t between(size_t lo, size_t hi); // inclusive
    char garbageByte();

    FaultSettings faults;
    std::mt19937_64 random;
};
