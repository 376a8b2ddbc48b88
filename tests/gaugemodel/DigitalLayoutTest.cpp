#include "gaugemodel/DigitalLayout.h"

#include <gtest/gtest.h>

namespace {

// A face whose text is `chars` cells of 0.6 x 1.3 points each.
MeasureAt Face(int chars)
{
    return [chars](int points) { return TextExtent{int(chars * 0.6 * points), int(1.3 * points)}; };
}

bool Overlap(const TextBox& a, const TextBox& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height
           && b.y < a.y + a.height;
}

} // namespace

TEST(DigitalLayout, LargestFittingSizeFromBothSides)
{
    struct Case {
        int chars, smallest, largest, width, height, want;
    } cases[] = {
        {4, 1, 400, 73, 24, 19},  // height decides: 1.3 x 19 = 24.7, truncated to 24
        {8, 1, 400, 73, 24, 15},  // width decides: 8 x 0.6 x 15 = 72
        {4, 1, 10, 73, 24, 10},   // capped by the largest
        {300, 5, 400, 73, 24, 0}, // not even the smallest fits
        {4, 20, 10, 73, 24, 0},   // an empty range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.chars << " chars in " << c.width << "x" << c.height);
        const int got = LargestFittingPoints(c.smallest, c.largest, c.width, c.height, Face(c.chars));
        EXPECT_EQ(got, c.want);
        if (got > 0 && got < c.largest) {
            const TextExtent above = Face(c.chars)(got + 1);
            EXPECT_TRUE(above.width > c.width || above.height > c.height) << "one more would fit";
        }
    }
}

// Title on top, units in the lower right corner, digits in the rest: apart,
// with a gap between digits and units, and inside the gauge.
TEST(DigitalLayout, BoxesNeverOverlapAndStayInside)
{
    for (int width : {40, 118, 236, 832}) {
        for (bool units : {true, false}) {
            SCOPED_TRACE(testing::Message() << width << (units ? " with units" : ""));
            const int height = int(width * 0.31666666666666665);
            const int th = TitleHeightFor(height);
            const DigitalLayout l = LayOutDigitalGauge(width, height, th, units ? width / 5 : 0,
                                                       units ? UnitsHeightFor(height) : 0);
            EXPECT_EQ(l.title.height, th);
            for (const TextBox& b : {l.title, l.value, l.units}) {
                EXPECT_GE(b.x, 0);
                EXPECT_GE(b.y, 0);
                EXPECT_LE(b.x + b.width, width);
                EXPECT_LE(b.y + b.height, height);
            }
            EXPECT_FALSE(Overlap(l.title, l.value));
            EXPECT_FALSE(Overlap(l.title, l.units));
            if (units) {
                EXPECT_LT(l.value.x + l.value.width + 1, l.units.x) << "digits touch the units";
                EXPECT_EQ(l.units.y + l.units.height, height);
            }
            EXPECT_EQ(l.value.y, th);
            EXPECT_GT(l.value.width, width / 3);
        }
    }
}
