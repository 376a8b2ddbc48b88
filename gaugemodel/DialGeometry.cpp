#include "gaugemodel/DialGeometry.h"

#include "base/AsciiText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

int TruncToInt(double v)
{
    return saturatingTrunc(v, -kMaxCoordinate, kMaxCoordinate);
}

void SquareSize(int* width, int* height)
{
    if (*height > *width)
        *height = *width;
    if (*width > *height)
        *width = *height;
}

DialLayout ComputeDialLayout(int width, int height)
{
    DialLayout l;
    l.width = width;
    l.height = height;
    l.cy = height / 2;
    l.cx = width / 2;
    l.radius = (width <= height ? width / 2 : height / 2) - kBezelWidth;
    const double r = l.radius;
    l.tickInner = 0.85 * r;
    l.tickOuter = 0.95 * r;
    l.labelRadius = 0.7 * r;
    l.fontSize = TruncToInt(0.085 * r);
    l.titleOffset = 0.4 * r;
    l.valueOffset = 0.6 * r;
    l.hubRadius = 0.2 * r;
    l.pointerLength = 0.9 * r;
    return l;
}

DialPoint PointAt(int cx, int cy, double distance, double angleDeg)
{
    const double a = angleDeg * kDegToRad;
    return DialPoint{TruncToInt(cx + distance * std::cos(a)),
                     TruncToInt(cy + distance * std::sin(a))};
}

double ValueToAngle(double value, double minValue, double maxValue, double start, double sweep)
{
    if (!(maxValue != minValue))
        return start;
    const double k = sweep / (maxValue - minValue);
    const double angle = start + value * k - k * minValue;
    return std::isfinite(angle) ? angle : start;
}

std::array<DialPoint, 3> PointerTriangle(double angleDeg, double hubRadius, double pointerLength)
{
    const double t = angleDeg * kDegToRad;
    const double d = 10 * kDegToRad;
    return {DialPoint{TruncToInt(hubRadius * std::cos(t - d)), TruncToInt(hubRadius * std::sin(t - d))},
            DialPoint{TruncToInt(pointerLength * std::cos(t)), TruncToInt(pointerLength * std::sin(t))},
            DialPoint{TruncToInt(hubRadius * std::cos(t + d)), TruncToInt(hubRadius * std::sin(t + d))}};
}

DialBox PointsBox(const std::array<DialPoint, 3>& points, int cx, int cy)
{
    int minX = points[0].x, maxX = points[0].x, minY = points[0].y, maxY = points[0].y;
    for (const DialPoint& p : points) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return DialBox{cx + minX, cy + minY, maxX - minX, maxY - minY};
}

DialBox UnionBox(const DialBox& a, const DialBox& b)
{
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    const int x = std::min(a.x, b.x);
    const int y = std::min(a.y, b.y);
    const int right = std::max(a.x + a.width, b.x + b.width);
    const int bottom = std::max(a.y + a.height, b.y + b.height);
    return DialBox{x, y, right - x, bottom - y};
}

DialBox InflateBox(const DialBox& box, int by)
{
    if (box.IsEmpty())
        return box;
    return DialBox{box.x - by, box.y - by, box.width + 2 * by, box.height + 2 * by};
}

bool BandAngles(double lo, double hi, double minValue, double maxValue, double start,
                double sweep, double* angleLo, double* angleHi)
{
    if (!(lo <= hi && lo >= minValue && hi <= maxValue && lo != hi))
        return false;
    if (!(maxValue != minValue))
        return false;
    const double k = sweep / (maxValue - minValue);
    const double aL = start + (lo - minValue) * k;
    const double aH = start + (hi - minValue) * k;
    // Equal toolkit arc angles would draw a full disc instead of nothing.
    if (!std::isfinite(aL) || !std::isfinite(aH) || !(aH > aL))
        return false;
    *angleLo = aL;
    *angleHi = aH;
    return true;
}

void ToToolkitArc(double a1, double a2, double* startAngle, double* endAngle)
{
    *startAngle = -a2;
    *endAngle = -a1;
}

std::vector<DialTick> DialTicks(int cx, int cy, double inner, double outer, double start,
                                double sweep, int majorDivisions, int minorDivisions)
{
    std::vector<DialTick> ticks;
    if (majorDivisions < 1 || minorDivisions < 1)
        return ticks;
    std::int64_t n = std::int64_t(majorDivisions) * minorDivisions;
    std::int64_t majorEvery = minorDivisions;
    if (n > kMaxTicks) {
        n = majorDivisions <= kMaxTicks ? majorDivisions : 1;
        majorEvery = 1;
    }
    const double step = sweep / double(n);
    ticks.reserve(size_t(n) + 1);
    for (std::int64_t i = 0; i <= n; ++i) {
        const double a = start + double(i) * step;
        DialTick t;
        t.inner = PointAt(cx, cy, inner, a);
        t.outer = PointAt(cx, cy, outer, a);
        t.major = i % majorEvery == 0;
        ticks.push_back(t);
    }
    return ticks;
}

double LabelStep(double sweep, int majorDivisions)
{
    return majorDivisions >= 1 ? sweep / majorDivisions : 0.0;
}

DialPoint LabelTopLeft(int cx, int cy, double radius, double angleDeg, int w, int h)
{
    const double a = angleDeg * kDegToRad;
    const int px = TruncToInt(radius * std::cos(a) + cx);
    const int py = TruncToInt(radius * std::sin(a) + cy);
    return DialPoint{TruncToInt(px - 0.5 * w), TruncToInt(py - 0.5 * h)};
}

std::array<int, kBezelSectors> BezelGreys(bool outerRing)
{
    // A running sum, as the light falls: the rounding of the step is part of the look.
    const double step = 2.833333332;
    std::array<int, kBezelSectors> greys{};
    double v = outerRing ? 255.0 : 0.0;
    for (int s = 0; s < kBezelSectors; ++s) {
        const int angle = 2 * s;
        greys[s] = std::abs(TruncToInt(v));
        if (outerRing || angle < 180)
            v -= step;
        else
            v += step;
    }
    return greys;
}
