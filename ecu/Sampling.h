#pragma once
// How the ECU input's worker fetches: once per tick, back to back (as fast
// as the link allows), or at a rate the user chose.
#include <optional>
#include <string>

struct Sampling {
    static constexpr double kMaxRate = 1000.0;

    enum Mode { PerTick, Continuous, Rate };
    Mode mode = PerTick;
    double hz = 0.0; // with Rate

    // "15", "2.5": fetches per second, above 0 and at most kMaxRate; none
    // for anything else (a sign, an exponent, a word, 0, too many).
    static std::optional<double> parseRate(const std::string& text);
};
