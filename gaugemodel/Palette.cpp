#include "gaugemodel/Palette.h"

#include <algorithm>
#include <cmath>

const Palette& DayPalette()
{
    static const Palette day = {
        {255, 255, 254}, // background
        {0, 0, 255},     // digits
        {0, 0, 0},       // title
        {30, 75, 24},    // units
        {kRangeOrange.red, kRangeOrange.green, kRangeOrange.blue},
        {kRangeRed.red, kRangeRed.green, kRangeRed.blue},
        {128, 128, 128}, // stale
        {160, 0, 200},   // doubtful
        {255, 255, 255}, // dial surround
        {12, 12, 12},    // dial face
        {220, 230, 230}, // dial scale
        {255, 255, 255}, // dial text
        {253, 204, 0},   // pointer
        {31, 30, 31},    // hub
        {0, 200, 255},   // peak mark
        1.0,
        1.0,
        {40, 40, 40},    // strip text
        {150, 150, 150}, // no input
        {0, 160, 0},     // data flows
        {230, 150, 0},   // working on it
        {210, 0, 0},     // no data
        {{160, 160, 160}, {90, 90, 90}}, // lamp without a value
        {120, 120, 120}, // lamp border
        1.0,
        std::nullopt,
    };
    return day;
}

const Palette& NightPalette()
{
    // Dim and warm: nothing near white, so the eye keeps its dark adaptation.
    static const Palette night = {
        {0, 0, 0},       // background
        {150, 135, 90},  // digits
        {120, 110, 85},  // title
        {100, 95, 75},   // units
        {230, 120, 0},   // warning
        {255, 40, 40},   // danger
        {70, 70, 70},    // stale
        {170, 80, 200},  // doubtful
        {0, 0, 0},       // dial surround
        {0, 0, 0},       // dial face
        {150, 140, 110}, // dial scale
        {160, 150, 120}, // dial text
        {200, 150, 0},   // pointer
        {25, 25, 25},    // hub
        {0, 140, 180},   // peak mark
        0.35,
        0.8,
        {120, 110, 85},  // strip text
        {60, 60, 60},    // no input
        {0, 110, 0},     // data flows
        {170, 100, 0},   // working on it
        {170, 0, 0},     // no data
        {{12, 12, 12}, {75, 75, 75}}, // lamp without a value
        {50, 50, 50},    // lamp border
        0.6,
        LampLook{{30, 30, 30}, {110, 100, 80}},
    };
    return night;
}

RgbColour ValueColour(const Palette& palette, const RgbColour& normal, AlarmLevel level, bool stale,
                bool doubtful, bool flashOff)
{
    if (stale)
        return palette.stale;
    if (doubtful)
        return palette.doubtful;
    switch (level) {
    case AlarmLevel::Danger:
        return flashOff ? normal : palette.danger;
    case AlarmLevel::Warning:
        return palette.warning;
    case AlarmLevel::None:
        break;
    }
    return normal;
}

RgbColour Dimmed(const RgbColour& c, double level)
{
    const auto scale = [level](unsigned char v) {
        return static_cast<unsigned char>(std::clamp(std::lround(v * level), 0L, 255L));
    };
    return {scale(c.red), scale(c.green), scale(c.blue)};
}

RgbColour BandColour(const Palette& palette, const RangeColour& file)
{
    return Dimmed({file.red, file.green, file.blue}, palette.bandLevel);
}
