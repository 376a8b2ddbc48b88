#pragma once
// A coloured part of a dial. The two colours are shared, made once, and live
// for the whole run; they are plain RGB so this header needs no display.

struct RangeColour {
    unsigned char red, green, blue;
    const char* name;
};

extern const RangeColour kRangeRed;    // (255, 0, 0)
extern const RangeColour kRangeOrange; // (255, 128, 0)

struct GaugeRange {
    double lo;
    double hi;
    const RangeColour* colour;
};
