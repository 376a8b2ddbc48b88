#pragma once
// Geometry of the analog dial, without a window or a drawing context.
//
// Angles are in degrees: 0 points right (3 o'clock) and angles grow clockwise
// on screen, because screen y grows downwards. A point at angle a and distance
// d is (cx + d cos a, cy + d sin a); pixel coordinates are those doubles
// truncated toward zero. Every function here returns finite, bounded
// coordinates whatever it is given (NaN, infinities, 1e300 from a file).
#include <array>
#include <vector>

// The dial's own degree-to-radian factor (a truncated pi/180, kept as is so
// pointer positions stay the same on every build).
constexpr double kDegToRad = 0.0174532925;

// Pixel coordinates are clamped to this magnitude; nothing on a screen needs more.
constexpr int kMaxCoordinate = 1000000;

// More tick marks than this are not drawn one by one (see DialTicks).
constexpr int kMaxTicks = 1000;

struct DialPoint {
    int x = 0;
    int y = 0;
};

inline bool operator==(const DialPoint& a, const DialPoint& b)
{
    return a.x == b.x && a.y == b.y;
}

// A rectangle; empty when width or height is not positive.
struct DialBox {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool IsEmpty() const { return width <= 0 || height <= 0; }
};

inline bool operator==(const DialBox& a, const DialBox& b)
{
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

// Truncation toward zero; NaN gives 0 and the result is clamped to
// +-kMaxCoordinate, so no undefined conversion can happen.
int TruncToInt(double v);

// Sizes and radii of a dial drawn in a window of the given (already squared)
// size. R = min(side)/2 - 15 may be zero or negative for tiny windows.
struct DialLayout {
    int width = 0;
    int height = 0;
    int cx = 0;
    int cy = 0;
    int radius = 0;
    double tickInner = 0;     // 0.85 R: inner end of ticks and bands
    double tickOuter = 0;     // 0.95 R: outer end of ticks and bands
    double labelRadius = 0;   // 0.7 R: centre of the scale labels
    double titleOffset = 0;   // 0.4 R: title centre above the dial centre
    double valueOffset = 0;   // 0.6 R: readout centre below the dial centre
    double hubRadius = 0;     // 0.2 R: hub disc and pointer base
    double pointerLength = 0; // 0.9 R: pointer tip
    int fontSize = 0;         // points, truncation of 0.085 R

    // Whether there is a face to draw at all.
    bool HasFace() const { return radius > 0; }
};

// Width of the bezel around the face: R + 15 is half the window side.
constexpr int kBezelWidth = 15;

// The size made square by shrinking the longer side.
void SquareSize(int* width, int* height);
DialLayout ComputeDialLayout(int width, int height);

DialPoint PointAt(int cx, int cy, double distance, double angleDeg);

// Dial angle of `value` on a scale from `minValue` (at `start`) to `maxValue`
// (at start + sweep). A scale with equal limits, or one whose arithmetic is
// not finite, puts every value at `start`.
double ValueToAngle(double value, double minValue, double maxValue, double start, double sweep);

// Pointer triangle relative to the centre: base corners on the hub circle 10
// degrees either side of the direction, tip at `pointerLength`.
std::array<DialPoint, 3> PointerTriangle(double angleDeg, double hubRadius, double pointerLength);

// Bounding box of the triangle moved by (cx, cy): x, y from the smallest
// coordinates, width and height as the differences of the extremes.
DialBox PointsBox(const std::array<DialPoint, 3>& points, int cx, int cy);
// The union; a box with an empty one gives the other box.
DialBox UnionBox(const DialBox& a, const DialBox& b);
// Grown by `by` pixels on every side (an empty box stays empty).
DialBox InflateBox(const DialBox& box, int by);

// Angles of a coloured band from lo to hi, or false when the band is not drawn:
// lo > hi, lo below the minimum, hi above the maximum, lo == hi, equal scale
// limits, or angles that are not finite or do not grow.
bool BandAngles(double lo, double hi, double minValue, double maxValue, double start,
                double sweep, double* angleLo, double* angleHi);

// A pie sector from a1 to a2 (clockwise on screen) expressed as the start and
// end angles of the toolkit's elliptic arc, which counts counter-clockwise.
void ToToolkitArc(double a1, double a2, double* startAngle, double* endAngle);

struct DialTick {
    DialPoint inner;
    DialPoint outer;
    bool major = false;
};

// The tick marks from `start` over `sweep`: majorDivisions x minorDivisions
// intervals, every minorDivisions-th tick major, first and last included.
// Bounded: past kMaxTicks intervals only the major ticks are drawn, and past
// kMaxTicks major divisions only the two end ticks. Division counts below 1
// give no ticks.
std::vector<DialTick> DialTicks(int cx, int cy, double inner, double outer, double start,
                                double sweep, int majorDivisions, int minorDivisions);

// Angle between two scale labels: one major division (0 without divisions).
double LabelStep(double sweep, int majorDivisions);

// Top-left corner of a w x h label centred on angle `angleDeg` at `radius`.
DialPoint LabelTopLeft(int cx, int cy, double radius, double angleDeg, int w, int h);

// Grey levels of the 180 sectors of one bezel ring, sector i starting at
// angle 2i: the outer ring is lit on the right, the inner one on the left.
constexpr int kBezelSectors = 180;
std::array<int, kBezelSectors> BezelGreys(bool outerRing);
// Sector i of a bezel ring spans from this angle to 2i (3.3 degrees wide).
constexpr double kBezelSectorSpan = 3.3;
