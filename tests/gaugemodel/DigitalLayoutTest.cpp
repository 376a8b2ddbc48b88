#include "gaugemodel/DigitalLayout.h"

#include <gtest/gtest.h>

namespace {

// A face whose text is `chars` cells of 0.6 x 1.3 points each.
MeasureAt Face(int chars)
{
    return [chars](int points) { return TextExtent{int(chars * 0.6 * points), int(1.3 * points)}; };
}

// Text that does not grow steadily: 70 points drawn at 10 (a toolkit that
// reads 70 as "default"), and hinting that makes every fifth size a pixel
// narrower than the one below it.
MeasureAt UnsteadyFace(int chars)
{
    return [chars](int points) {
        const int drawn = points == 70 ? 10 : points;
        return TextExtent{int(chars * 0.6 * drawn) - (drawn % 5 == 0 ? 2 : 0), int(1.3 * drawn)};
    };
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
        // Whatever size was measured before, the answer is the same.
        for (int reference : {1, 5, 19, 70, 400})
            EXPECT_EQ(LargestFittingPoints(c.smallest, c.largest, c.width, c.height, Face(c.chars),
                                           reference),
                      c.want)
                << "from " << reference;
    }
}

// The size chosen is the largest that truly fits, checked against every size.
TEST(DigitalLayout, LargestFittingSizeOfAnUnsteadyFace)
{
    const MeasureAt face = UnsteadyFace(4);
    for (int height = 10; height <= 300; height += 7) {
        const int width = int(height * 2.4);
        int want = 0;
        for (int points = 1; points <= 400; ++points) {
            const TextExtent e = face(points);
            if (points != 70 && e.width <= width && e.height <= height)
                want = points;
        }
        for (int reference : {0, 10, 69, 70, 200})
            ASSERT_EQ(LargestFittingPoints(1, 400, width, height, face, reference), want)
                << width << "x" << height << " from " << reference;
    }
}

// Title on top, units in the lower right corner, digits in the rest: apart,
// with a gap between digits and units, and inside the gauge.
TEST(DigitalLayout, BoxesNeverOverlapAndStayInside)
{
    for (int width : {40, 118, 236, 832}) {
        for (bool units : {true, false}) {
          for (double tall : {0.31666666666666665, 0.6}) {
            SCOPED_TRACE(testing::Message() << width << "x" << tall << (units ? " with units" : ""));
            const int height = int(width * tall);
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
                EXPECT_FALSE(Overlap(l.value, l.units));
                EXPECT_EQ(l.units.y + l.units.height, height);
                // Beside the digits at the usual proportion, under them when taller.
                EXPECT_EQ(l.value.x + l.value.width < l.units.x, tall < 0.5);
            }
            EXPECT_EQ(l.value.y, th);
            EXPECT_GT(l.value.width, tall < 0.5 ? width / 3 : width * 3 / 4);
          }
        }
    }
}
