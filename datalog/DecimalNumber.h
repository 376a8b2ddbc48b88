#pragma once
// Decimal numbers in datalog cells, read the same whatever the C locale (the
// GUI toolkit may switch LC_NUMERIC to one with a decimal comma).
namespace DecimalNumber {

// The number at the start of [begin, end): optional blanks, sign, digits, the
// decimal point `point`, digits, an exponent only when digits follow it.
// Trailing text is ignored; text that does not start with a number reads 0.0.
// Always finite: overflow saturates at the largest double.
double ParseLeading(const char* begin, const char* end, char point = '.');

// Whether [begin, end) holds one number and nothing else (blanks around it
// allowed): at least one digit, no "nan" or "inf".
bool IsWhole(const char* begin, const char* end, char point = '.');

} // namespace DecimalNumber
