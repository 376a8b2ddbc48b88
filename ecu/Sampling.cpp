#include "ecu/Sampling.h"

constexpr double Sampling::kMaxRate;

std::optional<double> Sampling::parseRate(const std::string& text)
{
    if (text.empty() || text.size() > 16)
        return std::nullopt;
    int points = 0, digits = 0;
    for (char c : text) {
        if (c == '.')
            ++points;
        else if (c >= '0' && c <= '9')
            ++digits;
        else
            return std::nullopt;
    }
    if (points > 1 || digits == 0)
        return std::nullopt;
    // Whole and fraction by hand: strtod would follow LC_NUMERIC's decimal point.
    double value = 0.0, scale = 1.0;
    bool fraction = false;
    for (char c : text) {
        if (c == '.') {
            fraction = true;
            continue;
        }
        if (fraction) {
            scale /= 10.0;
            value += (c - '0') * scale;
        } else {
            value = value * 10.0 + (c - '0');
        }
    }
    if (value <= 0.0 || value > kMaxRate)
        return std::nullopt;
    return value;
}
