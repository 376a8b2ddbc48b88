#include "gaugemodel/DigitalLayout.h"

#include <algorithm>

// Fractions of the gauge height for the title line and the units text; at the
// 37 px of the 240 x 320 dashboard the title gets 13 px and the digits 24.
static const double kTitleShare = 0.36;
static const double kUnitsShare = 0.36;
// The units take at most this share of the width.
static const double kUnitsWidthShare = 0.4;

int LargestFittingPoints(int smallest, int largest, int maxWidth, int maxHeight,
                         const MeasureAt& measure)
{
    smallest = std::max(1, smallest);
    auto fits = [&](int points) {
        const TextExtent e = measure(points);
        return e.width <= maxWidth && e.height <= maxHeight;
    };
    if (largest < smallest || !fits(smallest))
        return 0;
    // Text grows with the point size: bisect for the last size that fits.
    int lo = smallest, hi = largest;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

int TitleHeightFor(int height)
{
    return std::max(1, int(height * kTitleShare));
}

int UnitsHeightFor(int height)
{
    return std::max(1, int(height * kUnitsShare));
}

int UnitsWidthFor(int width)
{
    return std::max(1, int(width * kUnitsWidthShare));
}

DigitalLayout LayOutDigitalGauge(int width, int height, int titleHeight, int unitsWidth,
                                 int unitsHeight)
{
    width = std::max(0, width);
    height = std::max(0, height);
    // Margins grow with the gauge, so that nothing touches at any size.
    const int margin = std::max(1, height / 18);
    const int gap = unitsWidth > 0 ? std::max(2, height / 12) : 0;
    titleHeight = std::clamp(titleHeight, 0, height);
    unitsWidth = std::clamp(unitsWidth, 0, width);
    unitsHeight = std::clamp(unitsHeight, 0, height - titleHeight);

    DigitalLayout l;
    l.title = TextBox{0, 0, width, titleHeight};
    l.units = TextBox{std::max(0, width - margin - unitsWidth), height - unitsHeight, unitsWidth,
                      unitsHeight};
    const int valueRight = unitsWidth > 0 ? l.units.x - gap : width - margin;
    l.value = TextBox{margin, titleHeight, std::max(0, valueRight - margin), height - titleHeight};
    return l;
}
