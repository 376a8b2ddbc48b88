#include "gaugemodel/DigitalLayout.h"

#include <algorithm>
#include <cstdlib>

// Fractions of the gauge height for the title line and the units text; at the
// 37 px of the 240 x 320 dashboard the title gets 13 px and the digits 24.
static const double kTitleShare = 0.36;
static const double kUnitsShare = 0.36;
// The units take at most this share of the width.
static const double kUnitsWidthShare = 0.4;
// Height per width of a gauge laid out as the handheld's.
static const double kUsualHeightPerWidth = 0.31666666666666665;
// How far rounding may take a text's extent below the proportional one.
static const double kRoundingSlack = 1.03;
// Less than this share of the proportional height is another size than asked.
static const double kLeastShare = 0.75;
// The size measured first when no earlier one is known: large enough that
// rounding hardly bends the proportion.
static const int kFirstReference = 40;

int LargestFittingPoints(int smallest, int largest, int maxWidth, int maxHeight,
                         const MeasureAt& measure, int reference)
{
    smallest = std::max(1, smallest);
    if (largest < smallest || maxWidth < 1 || maxHeight < 1)
        return 0;
    reference = std::clamp(reference > 0 ? reference : kFirstReference, smallest, largest);
    TextExtent at = measure(reference);
    auto proportional = [&](const TextExtent& e) {
        return std::min(double(maxWidth) / e.width, double(maxHeight) / e.height);
    };
    const bool scales = at.width > 0 && at.height > 0;
    // Rounding weighs most on small sizes: far from the answer, measure again near it.
    if (scales) {
        const int near = std::clamp(int(reference * proportional(at)), smallest, largest);
        if (std::abs(near - reference) > reference / 4) {
            const TextExtent there = measure(near);
            if (there.width > 0 && there.height > 0) {
                reference = near;
                at = there;
            }
        }
    }
    int from = largest;
    if (scales)
        from = std::clamp(int(reference * proportional(at) * kRoundingSlack) + 1, smallest, largest);
    for (int points = from; points >= smallest; --points) {
        const TextExtent e = points == reference ? at : measure(points);
        if (e.width > maxWidth || e.height > maxHeight)
            continue;
        if (scales && e.height < at.height * kLeastShare * points / reference)
            continue;
        return points;
    }
    return 0;
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
    // A gauge taller than its usual proportion by the units' height puts them
    // on a line of their own: the digits take the whole width above them.
    if (unitsWidth > 0 && height - unitsHeight >= int(width * kUsualHeightPerWidth)) {
        l.value = TextBox{margin, titleHeight, std::max(0, width - 2 * margin),
                          std::max(0, l.units.y - titleHeight)};
        return l;
    }
    const int valueRight = unitsWidth > 0 ? l.units.x - gap : width - margin;
    l.value = TextBox{margin, titleHeight, std::max(0, valueRight - margin), height - titleHeight};
    return l;
}
