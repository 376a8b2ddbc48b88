#include "tests/soak/SentBlocks.h"

#include "ecu/BlockDecoder.h"

#include <cmath>

void SentBlocks::add(const std::string& block, Clock::time_point sentAt)
{
    Entry& entry = ring[static_cast<size_t>(total) % kKept];
    entry.block.assign(block); // keeps its capacity: no allocation in a long run
    entry.sentAt = sentAt;
    ++total;
}

bool SentBlocks::explains(const ValueMap& shown, Clock::time_point since,
                          BlockDecoder& decoder) const
{
    bool anyShown = false;
    for (const auto& entry : shown)
        anyShown = anyShown || !std::isnan(entry.second);
    if (!anyShown)
        return true;
    const long kept = total < static_cast<long>(kKept) ? total : static_cast<long>(kKept);
    // Newest first: almost always the last block is the one shown.
    for (long back = 1; back <= kept; ++back) {
        const Entry& entry = ring[static_cast<size_t>(total - back) % kKept];
        if (entry.sentAt < since)
            break;
        decoder.decode(reinterpret_cast<const unsigned char*>(entry.block.data()),
                       entry.block.size());
        bool all = true;
        for (const auto& value : shown) {
            if (std::isnan(value.second))
                continue;
            const auto sent = decoder.value(value.first);
            all = sent && *sent == value.second;
            if (!all)
                break;
        }
        if (all)
            return true;
    }
    return false;
}
