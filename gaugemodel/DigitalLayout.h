#pragma once
// Where the title, the digits and the units of a digital gauge go, and how
// large their fonts may be, without a display: the sizes of texts come from a
// measuring function the window supplies.
//
// The gauge is width x height: the title across the top, the units in the
// lower right corner, the digits in the rest, right-aligned, never overlapping
// or touching the others and never cut by the gauge's edges. A gauge taller
// than the handheld's proportion has the units under the digits.
#include <functional>

struct TextBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

inline bool operator==(const TextBox& a, const TextBox& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// The extent (width, height) of a text at a point size.
struct TextExtent {
    int width = 0;
    int height = 0;
};
using MeasureAt = std::function<TextExtent(int points)>;

// Largest point size from `smallest` to `largest` at which `measure` fits
// within maxWidth x maxHeight; 0 when even `smallest` does not fit.
//
// Text need not grow steadily with the size (hinting, a face's bitmap
// strikes, a toolkit that reads some size as "default"): the sizes are tried
// one by one downwards, from a bound above which nothing can fit because an
// outline's extent is proportional to its size up to rounding. The bound comes
// from one measure at `reference` (best a size measured before, which costs
// little); 0 takes `smallest`. A size whose text comes out far smaller than
// that proportion says is not the size asked for, and is passed over.
int LargestFittingPoints(int smallest, int largest, int maxWidth, int maxHeight,
                         const MeasureAt& measure, int reference = 0);

// Height the title may take, and the units, for a gauge `height` pixels high.
int TitleHeightFor(int height);
int UnitsHeightFor(int height);
// Widest the units may be (a wider unit text is shrunk to it).
int UnitsWidthFor(int width);

struct DigitalLayout {
    TextBox title;
    TextBox value; // the room for the digits; they sit centred in it vertically
    TextBox units;
};

// The boxes for a gauge of width x height whose title text is titleHeight
// high and whose units text is unitsWidth x unitsHeight (0 x 0 without units).
DigitalLayout LayOutDigitalGauge(int width, int height, int titleHeight, int unitsWidth,
                                 int unitsHeight);
