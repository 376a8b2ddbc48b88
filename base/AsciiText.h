#pragma once
// Character classes, number conversions and the C locale for the readers of
// outside text (definition file, expressions, datalogs). Their grammars are
// ASCII whatever the locale of the process: the same file must read the same
// on every machine, and a byte beyond ASCII never counts as a digit or letter.
#include <cstdint>
#include <limits>

#include <locale.h>

template <typename Char>
constexpr bool isAsciiDigit(Char c)
{
    return c >= Char('0') && c <= Char('9');
}

template <typename Char>
constexpr bool isAsciiLetter(Char c)
{
    return (c >= Char('a') && c <= Char('z')) || (c >= Char('A') && c <= Char('Z'));
}

// Letters, digits and '_': what names are made of.
template <typename Char>
constexpr bool isAsciiWordChar(Char c)
{
    return isAsciiLetter(c) || isAsciiDigit(c) || c == Char('_');
}

// The blanks the C library skips: space, tab, line feed, vertical tab, form
// feed, carriage return.
template <typename Char>
constexpr bool isAsciiSpace(Char c)
{
    return c == Char(' ') || (c >= Char('\t') && c <= Char('\r'));
}

// The "C" locale, for strtod_l and the like: a decimal point is always ".".
locale_t cLocale();

// `value` truncated toward zero and held within [lo, hi]; NaN reads 0.
int32_t saturatingTrunc(double value, int32_t lo = std::numeric_limits<int32_t>::min(),
                        int32_t hi = std::numeric_limits<int32_t>::max());
