#include "datalog/DecimalNumber.h"

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace {

locale_t CLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The blanks strtod skips before a number in the C locale.
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Copies the number at `p` into `text` in C-locale spelling and returns the
// first byte after it; `digits` counts its mantissa digits.
const char* TakeNumber(const char* p, const char* end, char point, std::string& text, int& digits)
{
    digits = 0;
    if (p != end && (*p == '+' || *p == '-'))
        text += *p++;
    for (; p != end && IsDigit(*p); ++p, ++digits)
        text += *p;
    if (p != end && *p == point) {
        text += '.';
        for (++p; p != end && IsDigit(*p); ++p, ++digits)
            text += *p;
    }
    if (digits == 0)
        return p;
    if (p != end && (*p == 'e' || *p == 'E')) {
        const char* e = p + 1;
        std::string exponent = "e";
        if (e != end && (*e == '+' || *e == '-'))
            exponent += *e++;
        if (e != end && IsDigit(*e)) {
            for (; e != end && IsDigit(*e); ++e)
                exponent += *e;
            text += exponent;
            p = e;
        }
    }
    return p;
}

double ToDouble(const std::string& text)
{
    const locale_t c = CLocale();
    const double value = c ? strtod_l(text.c_str(), nullptr, c) : std::strtod(text.c_str(), nullptr);
    if (std::isinf(value))
        return value > 0 ? DBL_MAX : -DBL_MAX;
    return value;
}

} // namespace

double DecimalNumber::ParseLeading(const char* begin, const char* end, char point)
{
    while (begin != end && IsBlank(*begin))
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
    for (; p != end && IsDigit(*p); ++p)
        ++digits;
    if (p != end && *p == point)
        for (++p; p != end && IsDigit(*p); ++p)
            ++digits;
    if (digits == 0)
        return false;
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p != end && (*p == '+' || *p == '-'))
            ++p;
        if (p == end || !IsDigit(*p))
            return false;
        while (p != end && IsDigit(*p))
            ++p;
    }
    while (p != end && *p == ' ')
        ++p;
    return p == end;
}
