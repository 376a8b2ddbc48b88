#include "base/AsciiText.h"

#include <cmath>

locale_t cLocale()
{
    // Made once and kept for the life of the process: every reader shares it.
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

int32_t saturatingTrunc(double value, int32_t lo, int32_t hi)
{
    if (std::isnan(value))
        return 0;
    if (value >= static_cast<double>(hi))
        return hi;
    if (value <= static_cast<double>(lo))
        return lo;
    return static_cast<int32_t>(value);
}
