#include "link/ReplyTally.h"

#include <cstddef>

void ReplyTally::add(bool refusal)
{
    bool& slot = refusals[static_cast<std::size_t>(next)];
    if (count == kKept && slot)
        --refusedKept;
    slot = refusal;
    refusedKept += refusal ? 1 : 0;
    next = (next + 1) % kKept;
    if (count < kKept)
        ++count;
}

void ReplyTally::withdrawn()
{
    bool& newest = refusals[static_cast<std::size_t>((next + kKept - 1) % kKept)];
    if (count == 0 || newest) {
        add(true);
        return;
    }
    newest = true;
    ++refusedKept;
}
