#include "datalog/DecimalNumber.h"

#include "base/AsciiText.h"

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace {

// Copies the number at `p` into `text` in C-locale spelling and returns the
// first byte after it; `digits` counts its mantissa digits.
const char* TakeNumber(const char* p, const char* end, char point, std::string& text, int& digits)
{
    digits = 0;
    if (p != end && (*p == '+' || *p == '-'))
        text += *p++;
    for (; p != end && isAsciiDigit(*p); ++p, ++digits)
        text += *p;
    if (p != end && *p == point) {
        text += '.';
        for (++p; p != end && isAsciiDigit(*p); ++p, ++digits)
            text += *p;
    }
    if (digits == 0)
        return p;
    if (p != end && (*p == 'e' || *p == 'E')) {
        const char* e = p + 1;
        std::string exponent = "e";
        if (e != end && (*e == '+' || *e == '-'))
            exponent += *e++;
        if (e != end && isAsciiDigit(*e)) {
            for (; e != end && isAsciiDigit(*e); ++e)
                exponent += *e;
            text += exponent;
            p = e;
        }
    }
    return p;
}

double ToDouble(const std::string& text)
{
    const locale_t c = cLocale();
    const double value = c ? strtod_l(text.c_str(), nullptr, c) : std::strtod(text.c_str(), nullptr);
    if (std::isinf(value))
        return value > 0 ? DBL_MAX : -DBL_MAX;
    return value;
}

} // namespace

double DecimalNumber::ParseLeading(const char* begin, const char* end, char point)
{
    while (begin != end && isAsciiSpace(*begin))
        ++begin;
    std::string text;
    int digits = 0;
    TakeNumber(begin, end, point, text, digits);
    return digits == 0 ? 0.0 : ToDouble(text);
}

bool DecimalNumber::IsWhole(const char* begin, const char* end, char point)
{
    // Runs once per cell of a whole log while it loads: a plain scan, no copies.
    const char* p = begin;
    while (p != end && *p == ' ')
        ++p;
    if (p != end && (*p == '+' || *p == '-'))
        ++p;
    int digits = 0;
    for (; p != end && isAsciiDigit(*p); ++p)
        ++digits;
    if (p != end && *p == point)
        for (++p; p != end && isAsciiDigit(*p); ++p)
            ++digits;
    if (digits == 0)
        return false;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != end && (*p == '+' || *p == '-'))
            ++p;
        if (p == end || !isAsciiDigit(*p))
            return false;
        while (p != end && isAsciiDigit(*p))
            ++p;
    }
    while (p != end && *p == ' ')
        ++p;
    return p == end;
}
