#include "serial/ReplyGaps.h"

void ReplyGaps::restart()
{
    any = false;
    longest = Clock::duration::zero();
}

void ReplyGaps::arrived()
{
    const Clock::time_point now = Clock::now();
    if (any && now - last > longest)
        longest = now - last;
    last = now;
    any = true;
}
