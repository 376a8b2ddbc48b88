#include "tools/tarn-ecu-sim/FaultInjector.h"

#include <algorithm>

namespace {
constexpr size_t kMaxFaultBytes = 4;
}

FaultInjector::FaultInjector(const FaultSettings& settings, uint64_t seed)
    : faults(settings), random(seed)
{
}

bool FaultInjector::any() const
{
    return faults.noise > 0 || faults.drop > 0 || faults.shortReply > 0 || faults.longReply > 0 ||
           faults.stallMs > 0 || faults.badCrc > 0 || faults.badStatus > 0 ||
           faults.shortFrame > 0 || faults.longFrame > 0;
}

FrameFault FaultInjector::drawFrameFault(size_t& bytes)
{
    bytes = 0;
    if (chance(faults.badCrc))
        return FrameFault::BadCrc;
    if (chance(faults.badStatus))
        return FrameFault::BadStatus;
    if (chance(faults.shortFrame)) {
        bytes = between(1, kMaxFaultBytes);
        return FrameFault::ShortFrame;
    }
    if (chance(faults.longFrame)) {
        bytes = between(1, kMaxFaultBytes);
        return FrameFault::LongFrame;
    }
    return FrameFault::None;
}

bool FaultInjector::chance(double probability)
{
    if (probability <= 0)
        return false;
    if (probability >= 1)
        return true;
    // 53 random bits make a uniform double in [0, 1) the same on every library.
    const double u = static_cast<double>(random() >> 11) * (1.0 / 9007199254740992.0);
    return u < probability;
}

size_t FaultInjector::between(size_t lo, size_t hi)
{
    return lo + static_cast<size_t>(random() % (hi - lo + 1));
}

char FaultInjector::garbageByte()
{
    return static_cast<char>(random() & 0xFF);
}

SpoiledReply FaultInjector::apply(const std::string& reply)
{
    SpoiledReply out;
    out.bytes = reply;
    if (reply.empty())
        return out;
    if (chance(faults.drop)) {
        out.dropped = true;
        out.bytes.clear();
        return out;
    }
    if (chance(faults.shortReply)) {
        // Never the whole reply: that would be a drop, not a short reply.
        if (reply.size() >= 2) {
            const size_t cut = between(1, std::min(kMaxFaultBytes, reply.size() - 1));
            out.bytes.resize(reply.size() - cut);
            out.lengthChange = -static_cast<int>(cut);
        }
    } else if (chance(faults.longReply)) {
        const size_t extra = between(1, kMaxFaultBytes);
        for (size_t i = 0; i < extra; ++i)
            out.bytes += garbageByte();
        out.lengthChange = static_cast<int>(extra);
    }
    if (chance(faults.noise)) {
        const size_t noise = between(1, kMaxFaultBytes);
        std::string prefix;
        for (size_t i = 0; i < noise; ++i)
            prefix += garbageByte();
        out.bytes.insert(0, prefix);
        out.noiseBytes = noise;
    }
    if (faults.stallMs > 0 && chance(faults.stallRate)) {
        out.stallMs = faults.stallMs;
        out.stallAfter = out.bytes.size() / 2;
    }
    return out;
}
