#pragma once
// Every colour the gauges draw with, for day and for night, in one place.
// Plain RGB, so that the choice needs no display.
#include "gaugemodel/GaugeAlarm.h"

#include <optional>

struct RgbColour {
    unsigned char red, green, blue;
};

inline bool operator==(const RgbColour& a, const RgbColour& b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// An indicator lamp's cell.
struct LampLook {
    RgbColour back, text;
};

struct Palette {
    RgbColour background; // the frame and the digital gauges
    RgbColour digits;     // a value inside its bounds
    RgbColour title;
    RgbColour units;
    RgbColour warning;
    RgbColour danger;
    RgbColour stale;    // a value no longer refreshed, whatever its alarm
    RgbColour doubtful; // a value from a noisy line
    RgbColour dialSurround; // the dial window's corners, outside the bezel
    RgbColour dialFace;
    RgbColour dialScale; // ticks and labels
    RgbColour dialText;  // units line, title and readout on the face
    RgbColour pointer;
    RgbColour hub;
    RgbColour peakMark;
    // Bezel greys are scaled by this (0..1): a bright ring dazzles at night.
    double bezelLevel;
    // The bands: the definition file's own colours by day, dimmed at night.
    double bandLevel;
    // The status strip's text, and its marks: no input, data flows, working
    // on it, no data.
    RgbColour stripText;
    RgbColour markOff, markGood, markBusy, markBad;
    // Indicator lamps: one whose expression has no value, the cells' border,
    // and the level (0..1) of the file's own colours of a lit lamp.
    LampLook noValueLamp;
    RgbColour lampBorder;
    double lampLevel;
    // An unlit lamp; none: the file's own colours (mostly white, which
    // would be the brightest thing on screen at night).
    std::optional<LampLook> unlitLamp;
};

const Palette& DayPalette();
const Palette& NightPalette();
inline const Palette& PaletteFor(bool night)
{
    return night ? NightPalette() : DayPalette();
}

// The colour of a value's digits: stale before doubtful before the alarm, so
// an old value never looks live. `flashOff` is the dark half of a danger
// flash, which shows the plain digits.
// `normal`: the colour of a value inside its bounds on this face.
RgbColour ValueColour(const Palette& palette, const RgbColour& normal, AlarmLevel level, bool stale,
                bool doubtful, bool flashOff = false);
// A band's colour (`file`: the range's own) in this palette.
RgbColour BandColour(const Palette& palette, const RangeColour& file);
// `c` scaled by `level` (0..1).
RgbColour Dimmed(const RgbColour& c, double level);
