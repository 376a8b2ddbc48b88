// Dial geometry without a window. Expected numbers are worked out by hand from
// R = side/2 - 15, angles clockwise from 3 o'clock and truncation toward zero.
#include "gaugemodel/DialGeometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(DialGeometry, TruncationTowardZeroAndBounded)
{
    struct Case {
        double v;
        int want;
    } cases[] = {{2.9, 2},        {-2.9, -2},       {0.999, 0},       {-0.999, 0},
                 {kNaN, 0},       {kInf, 1000000},  {-kInf, -1000000}, {1e300, 1000000},
                 {-1e300, -1000000}, {999999.9, 999999}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v);
        EXPECT_EQ(TruncToInt(c.v), c.want);
    }
}

TEST(DialGeometry, SquaringShrinksTheLongerSide)
{
    struct Case {
        int w, h, side;
    } cases[] = {{200, 300, 200}, {300, 200, 200}, {210, 210, 210}, {0, 50, 0}, {1, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        int w = c.w, h = c.h;
        SquareSize(&w, &h);
        EXPECT_EQ(w, c.side);
        EXPECT_EQ(h, c.side);
    }
}

TEST(DialGeometry, LayoutFromTheWindowSide)
{
    struct Case {
        int side;
        int centre, radius;
        double tickInner, tickOuter, label, title, value, hub, pointer;
        int font;
    } cases[] = {
        // R = 90: 0.85 R, 0.95 R, 0.7 R, 0.4 R, 0.6 R, 0.2 R, 0.9 R; font 7.65 -> 7.
        {210, 105, 90, 76.5, 85.5, 63, 36, 54, 18, 81, 7},
        // R = 105 (the main frame's width): font 8.925 -> 8.
        {240, 120, 105, 89.25, 99.75, 73.5, 42, 63, 21, 94.5, 8},
        // Odd side: centre and half side by integer division, R = 60.
        {151, 75, 60, 51, 57, 42, 24, 36, 12, 54, 5},
        // R = 0 at a 30-pixel side, negative below: no face.
        {30, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {20, 10, -5, -4.25, -4.75, -3.5, -2, -3, -1, -4.5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.side);
        const DialLayout l = ComputeDialLayout(c.side, c.side);
        EXPECT_EQ(l.cx, c.centre);
        EXPECT_EQ(l.cy, c.centre);
        EXPECT_EQ(l.radius, c.radius);
        EXPECT_DOUBLE_EQ(l.tickInner, c.tickInner);
        EXPECT_DOUBLE_EQ(l.tickOuter, c.tickOuter);
        EXPECT_DOUBLE_EQ(l.labelRadius, c.label);
        EXPECT_DOUBLE_EQ(l.titleOffset, c.title);
        EXPECT_DOUBLE_EQ(l.valueOffset, c.value);
        EXPECT_DOUBLE_EQ(l.hubRadius, c.hub);
        EXPECT_DOUBLE_EQ(l.pointerLength, c.pointer);
        EXPECT_EQ(l.fontSize, c.font);
        EXPECT_EQ(l.HasFace(), c.radius > 0);
    }
}

TEST(DialGeometry, ValueToAngle)
{
    struct Case {
        const char* what;
        double value, lo, hi;
        double want;
    } cases[] = {
        {"minimum at the start", 0, 0, 8000, 135},
        {"maximum at start + sweep", 8000, 0, 8000, 405},
        {"middle straight up", 4000, 0, 8000, 270},
        {"negative scale", -20, -40, 120, 135 + 20 * 270.0 / 160},
        {"equal limits: start", 5, 5, 5, 135},
        {"equal limits, other value: start", 7, 5, 5, 135},
        {"huge limits", 0, -1e300, 1e300, 270},
        {"infinite span: k is 0", 3, -1e308, 1e308, 135},
        {"infinite minimum: start", 0, -kInf, 10, 135},
        {"NaN value: start", kNaN, 0, 100, 135},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_NEAR(ValueToAngle(c.value, c.lo, c.hi, 135, 270), c.want, 1e-9);
    }
}

TEST(DialGeometry, PointerAngleNeverFallsAsTheValueRises)
{
    const double scales[][2] = {{0, 8000}, {-40, 120}, {0.5, 1.5}, {-1e300, 1e300}};
    for (const auto& s : scales) {
        SCOPED_TRACE(s[1]);
        double previous = -kInf;
        for (int i = 0; i <= 1000; ++i) {
            const double v = s[0] + (s[1] - s[0]) * (i / 1000.0);
            const double a = ValueToAngle(v, s[0], s[1], 135, 270);
            ASSERT_GE(a, previous) << "at " << v;
            ASSERT_GE(a, 135);
            ASSERT_LE(a, 405 + 1e-9);
            previous = a;
        }
    }
}

TEST(DialGeometry, PointerTriangle)
{
    struct Case {
        const char* what;
        double angle;
        DialPoint p0, tip, p2;
    } cases[] = {
        // 270: base at 260 and 280 degrees on the hub (18 cos 260 = -3.13,
        // 18 sin 260 = -17.73), tip 81 up. The truncated radian factor leaves
        // cos 270 a hair below zero, which still truncates to 0.
        {"straight up", 270, {-3, -17}, {0, -81}, {3, -17}},
        // 135: base at 125 (-10.32, 14.74) and 145 (-14.74, 10.32), tip (-57.28, 57.28).
        {"lower left", 135, {-10, 14}, {-57, 57}, {-14, 10}},
        // 0: base at -10 (17.73, -3.13) and 10 (17.73, 3.13), tip (81, 0).
        {"right", 0, {17, -3}, {81, 0}, {17, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto pts = PointerTriangle(c.angle, 18, 81);
        EXPECT_EQ(pts[0], c.p0);
        EXPECT_EQ(pts[1], c.tip);
        EXPECT_EQ(pts[2], c.p2);
    }
}

TEST(DialGeometry, BoxesOfThePointer)
{
    // The triangle of 4000 on 0..8000 and of 0, on a 210 dial.
    const DialBox up = PointsBox({DialPoint{-3, -17}, DialPoint{0, -81}, DialPoint{3, -17}}, 105, 105);
    EXPECT_EQ(up, (DialBox{102, 24, 6, 64}));
    const DialBox rest = PointsBox({DialPoint{-10, 14}, DialPoint{-57, 57}, DialPoint{-14, 10}}, 105, 105);
    EXPECT_EQ(rest, (DialBox{48, 115, 47, 47}));

    struct Case {
        const char* what;
        DialBox a, b, want;
    } cases[] = {
        {"both", rest, up, {48, 24, 60, 138}},
        {"empty first", {}, up, up},
        {"empty second", up, {0, 0, 0, 5}, up},
        {"both empty", {}, {3, 3, 0, 0}, {3, 3, 0, 0}},
        {"nested", {0, 0, 10, 10}, {2, 2, 3, 3}, {0, 0, 10, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(UnionBox(c.a, c.b), c.want);
    }
    EXPECT_EQ(InflateBox(DialBox{48, 24, 60, 138}, 1), (DialBox{47, 23, 62, 140}));
    EXPECT_TRUE(InflateBox(DialBox{5, 5, 0, 0}, 1).IsEmpty());
}

TEST(DialGeometry, BandAngles)
{
    struct Case {
        const char* what;
        double lo, hi, min, max;
        bool drawn;
        double aL, aH;
    } cases[] = {
        {"warning band", 6000, 7000, 0, 8000, true, 337.5, 371.25},
        {"whole scale", 0, 8000, 0, 8000, true, 135, 405},
        {"low edge inside", 0, 1000, 0, 8000, true, 135, 168.75},
        {"below the minimum", -1, 1000, 0, 8000, false, 0, 0},
        {"above the maximum", 7000, 8000.5, 0, 8000, false, 0, 0},
        {"empty", 3000, 3000, 0, 8000, false, 0, 0},
        {"reversed", 7000, 6000, 0, 8000, false, 0, 0},
        {"equal limits", 5, 5, 5, 5, false, 0, 0},
        {"NaN limit", kNaN, 10, 0, 100, false, 0, 0},
        {"infinite span", -1e308, 1e308, -1e308, 1e308, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        double aL = -1, aH = -1;
        ASSERT_EQ(BandAngles(c.lo, c.hi, c.min, c.max, 135, 270, &aL, &aH), c.drawn);
        if (c.drawn) {
            EXPECT_DOUBLE_EQ(aL, c.aL);
            EXPECT_DOUBLE_EQ(aH, c.aH);
        }
    }
}

TEST(DialGeometry, ToolkitArcCountsTheOtherWay)
{
    struct Case {
        double a1, a2, start, end;
    } cases[] = {{135, 405, -405, -135}, {-3.3, 0, 0, 3.3}, {354.7, 358, -358, -354.7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a1);
        double s = 0, e = 0;
        ToToolkitArc(c.a1, c.a2, &s, &e);
        EXPECT_DOUBLE_EQ(s, c.start);
        EXPECT_DOUBLE_EQ(e, c.end);
        EXPECT_LT(s, e); // counter-clockwise from start to end
    }
}

TEST(DialGeometry, DefaultTicks)
{
    const auto ticks = DialTicks(105, 105, 76.5, 85.5, 135, 270, 10, 5);
    ASSERT_EQ(ticks.size(), 51u);
    int majors = 0;
    for (size_t i = 0; i < ticks.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ticks[i].major, i % 5 == 0);
        majors += ticks[i].major;
    }
    EXPECT_EQ(majors, 11);
    // 135 degrees: 76.5 (cos, sin) = (-54.09, 54.09), 85.5 -> (-60.46, 60.46).
    EXPECT_EQ(ticks[0].inner, (DialPoint{50, 159}));
    EXPECT_EQ(ticks[0].outer, (DialPoint{44, 165}));
    // 405 degrees: the mirror image on the right.
    EXPECT_EQ(ticks[50].inner, (DialPoint{159, 159}));
    EXPECT_EQ(ticks[50].outer, (DialPoint{165, 165}));
    // 270 degrees, straight up: x is 105 minus a hair, which truncates to 104.
    EXPECT_EQ(ticks[25].inner, (DialPoint{104, 28}));
    EXPECT_EQ(ticks[25].outer, (DialPoint{104, 19}));
}

TEST(DialGeometry, TickCountIsBounded)
{
    struct Case {
        const char* what;
        int major, minor;
        size_t count;
        bool allMajor;
    } cases[] = {
        {"8 x 5", 8, 5, 41, false},
        {"exactly the bound", 1000, 1, 1001, true},
        {"minor ticks dropped", 100, 11, 101, true},
        {"huge product", 1000, 1000000, 1001, true},
        {"too many majors: the two ends", 1001, 1, 2, true},
        {"int overflow", INT_MAX, INT_MAX, 2, true},
        {"no major divisions", 0, 5, 0, true},
        {"negative minor", 10, -5, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto ticks = DialTicks(105, 105, 76.5, 85.5, 135, 270, c.major, c.minor);
        EXPECT_EQ(ticks.size(), c.count);
        if (!ticks.empty()) {
            EXPECT_TRUE(ticks.front().major);
            EXPECT_TRUE(ticks.back().major);
            // The last tick always closes the sweep at 405 degrees.
            EXPECT_EQ(ticks.back().outer, (DialPoint{165, 165}));
        }
        if (c.allMajor) {
            for (const DialTick& t : ticks)
                EXPECT_TRUE(t.major);
        }
    }
}

TEST(DialGeometry, LabelPlacement)
{
    EXPECT_DOUBLE_EQ(LabelStep(270, 8), 33.75);
    EXPECT_DOUBLE_EQ(LabelStep(270, 10), 27);
    EXPECT_DOUBLE_EQ(LabelStep(270, 0), 0);
    struct Case {
        double angle;
        int w, h;
        DialPoint want;
    } cases[] = {
        // 135 at 63: (60.45, 149.55) -> (60, 149), less half of 10 x 12.
        {135, 10, 12, {55, 143}},
        // 270: (104.99.., 42) -> (104, 42), less half of 7 x 11 (3.5, 5.5).
        {270, 7, 11, {100, 36}},
        // 0: (168, 105), less half of 20 x 10.
        {0, 20, 10, {158, 100}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.angle);
        EXPECT_EQ(LabelTopLeft(105, 105, 63, c.angle, c.w, c.h), c.want);
    }
}

TEST(DialGeometry, BezelGreyRamps)
{
    const auto outer = BezelGreys(true);
    const auto inner = BezelGreys(false);
    struct Case {
        int sector; // starts at angle 2 x sector
        int outer, inner;
    } cases[] = {
        {0, 255, 0},    // right: outer lit, inner dark
        {1, 252, 2},    // 255 - 2.83, |0 - 2.83|
        {45, 127, 127}, // straight down: 255 - 127.5, |-127.5|
        {89, 2, 252},
        {90, 0, 254},   // left: outer 255 - 254.9999999 -> 0; inner |-254.9999999|
        {91, 2, 252},   // the inner ring turns back up after 180 degrees
        {179, 252, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sector);
        EXPECT_EQ(outer[c.sector], c.outer);
        EXPECT_EQ(inner[c.sector], c.inner);
    }
    for (int s = 0; s < kBezelSectors; ++s) {
        ASSERT_GE(outer[s], 0);
        ASSERT_LE(outer[s], 255);
        ASSERT_GE(inner[s], 0);
        ASSERT_LE(inner[s], 255);
    }
}

} // namespace
