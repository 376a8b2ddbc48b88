#pragma once
// The one factor for the tests' wall-clock bounds. Every deadline of a wait
// and every "took at most" is taken through scaled(): instrumented builds run
// several times slower, and TARN_TEST_TIME_SCALE in the environment sets the
// factor for a machine slower still. A "took at least" is the product's own
// timing and is never scaled.
#include <chrono>
#include <cmath>
#include <cstdlib>

class TestTime {
public:
    static double factor()
    {
        static const double value = [] {
            if (const char* text = std::getenv("TARN_TEST_TIME_SCALE")) {
                char* end = nullptr;
                const double given = std::strtod(text, &end);
                if (end != text && *end == '\0' && given > 0)
                    return given;
            }
#ifdef TARN_SANITIZED_BUILD
            return 5.0;
#else
            return 1.0;
#endif
        }();
        return value;
    }

    static long scaled(long ms) { return std::lround(static_cast<double>(ms) * factor()); }
    static std::chrono::milliseconds scaled(std::chrono::milliseconds span)
    {
        return std::chrono::milliseconds(scaled(static_cast<long>(span.count())));
    }
};
