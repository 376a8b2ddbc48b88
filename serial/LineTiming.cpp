#include "serial/LineTiming.h"

int lineMs(size_t characters, int baud)
{
    const long long bits = static_cast<long long>(characters) * kBitsPerCharacter * 1000;
    const long long rate = baud > 0 ? baud : 1;
    return static_cast<int>((bits + rate - 1) / rate);
}

int quietGapMs(int baud)
{
    return lineMs(kQuietCharacters, baud);
}

std::chrono::nanoseconds characterTime(int baud)
{
    return std::chrono::nanoseconds(1000000000LL * kBitsPerCharacter / (baud > 0 ? baud : 1));
}
