#include "gaugemodel/GaugeAlarm.h"
#include "gaugemodel/GaugeExpressionResolver.h"
#include "gaugemodel/Palette.h"
#include "gaugemodel/PeakHold.h"
#include "gaugemodel/TARNGaugeDesc.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const AlarmLevel N = AlarmLevel::None, W = AlarmLevel::Warning, D = AlarmLevel::Danger;

// A description as the reader makes it from "min, max, loD, loW, hiW, hiD".
TARNGaugeDesc Desc(double min, double max, double loD, double loW, double hiW, double hiD)
{
    TARNGaugeDesc d;
    d.setMinValue(min);
    d.setMaxValue(max);
    d.addRedRange(min, loD);
    d.addOrangeRange(loD, loW);
    d.addOrangeRange(hiW, hiD);
    d.addRedRange(hiD, max);
    return d;
}

struct NoValues : GaugeExpressionResolver {
    bool number(const wxString&, double&) const override { return false; }
    bool text(const wxString&, wxString&) const override { return false; }
};

struct Fixed : GaugeExpressionResolver {
    double value;
    explicit Fixed(double v) : value(v) {}
    bool number(const wxString&, double& v) const override
    {
        v = value;
        return true;
    }
    bool text(const wxString&, wxString&) const override { return false; }
};

} // namespace

TEST(GaugeAlarm, ValuesAgainstTheLimits)
{
    const struct {
        const char* label;
        double limits[6];
        std::vector<std::pair<double, AlarmLevel>> values;
        size_t problems;
    } cases[] = {
        {"plain coolant", {-40, 120, -30, 0, 95, 105},
         {{-35, D}, {-30, W}, {-10, W}, {0, N}, {50, N}, {95, N}, {96, W}, {105, W}, {106, D},
          {kNaN, N}, {130, D}, {-41, D}, {kInf, D}},
         0},
        {"limits at the ends: only past the scale", {0, 8000, 0, 0, 8000, 8000},
         {{0, N}, {8000, N}, {8001, D}, {-1, D}}, 0},
        {"low side in the wrong order", {0, 100, 20, 10, 80, 90},
         {{5, N}, {15, N}, {85, W}, {95, D}}, 1},
        {"high side in the wrong order", {0, 100, 10, 20, 90, 80},
         {{5, D}, {15, W}, {85, N}, {95, N}}, 1},
        {"warnings meet: every value would warn", {0, 100, 0, 50, 50, 100},
         {{10, N}, {50, N}, {90, N}, {101, D}}, 1},
        {"all four equal", {0, 100, 0, 0, 0, 0}, {{0, N}, {50, N}}, 1},
        {"limits past their own end: no band there", {0, 100, -20, -10, 200, 300},
         {{0, N}, {99, N}, {150, D}}, 0},
        {"low limits above the scale", {0, 100, 150, 200, 80, 90}, {{50, N}, {85, W}}, 1},
        {"high limits below the scale", {10, 100, 20, 30, 0, 5}, {{15, D}, {25, W}, {50, N}}, 1},
        {"no scale", {100, 100, 0, 0, 0, 0}, {{100, N}, {5000, N}}, 1},
        {"inverted scale", {100, 0, 10, 20, 80, 90}, {{5, N}, {95, N}}, 1},
        {"limit not a number", {0, 100, kNaN, 10, 80, kInf}, {{5, N}, {95, N}}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const TARNGaugeDesc d =
            Desc(c.limits[0], c.limits[1], c.limits[2], c.limits[3], c.limits[4], c.limits[5]);
        std::vector<wxString> problems;
        const AlarmBounds bounds = AlarmBoundsOf(d, &problems);
        EXPECT_EQ(problems.size(), c.problems);
        for (const auto& [value, want] : c.values) {
            SCOPED_TRACE(value);
            EXPECT_EQ(ClassifyValue(bounds, value), want);
        }
    }
}

TEST(GaugeAlarm, ExpressionLimitWithoutAValueRaisesNoAlarm)
{
    TARNGaugeDesc d = Desc(0, 8000, 0, 0, 0, 0);
    d.setExpression(TARNGaugeDesc::FieldHighWarning, "rpmwarn");
    d.setExpression(TARNGaugeDesc::FieldHighDanger, "rpmdang");
    d.resolveExpressions(NoValues());
    std::vector<wxString> problems;
    AlarmBounds bounds = AlarmBoundsOf(d, &problems);
    EXPECT_FALSE(bounds.hasHigh);
    EXPECT_EQ(ClassifyValue(bounds, 4000), N);
    ASSERT_FALSE(problems.empty());
    EXPECT_TRUE(problems.front().Contains("no value"));

    // Once the constants give them values, the same limits warn.
    d.resolveExpressions(Fixed(6000));
    bounds = AlarmBoundsOf(d);
    EXPECT_EQ(ClassifyValue(bounds, 6500), D);
    EXPECT_EQ(ClassifyValue(bounds, 5000), N);
}

TEST(GaugeAlarm, ValueColourKeepsStaleAndDoubtfulApart)
{
    for (bool night : {false, true}) {
        const Palette& p = PaletteFor(night);
        const RgbColour normal = p.digits;
        EXPECT_EQ(ValueColour(p, normal, D, true, true), p.stale);
        EXPECT_EQ(ValueColour(p, normal, D, false, true), p.doubtful);
        EXPECT_EQ(ValueColour(p, normal, D, false, false), p.danger);
        EXPECT_EQ(ValueColour(p, normal, D, false, false, true), normal);
        EXPECT_EQ(ValueColour(p, normal, W, false, false), p.warning);
        EXPECT_EQ(ValueColour(p, normal, N, false, false), normal);
        // Every state looks different from every other, in both palettes;
        // so do the status strip's marks.
        const auto expectDistinct = [night](const std::vector<RgbColour>& c, const char* what) {
            for (size_t i = 0; i < c.size(); ++i)
                for (size_t j = i + 1; j < c.size(); ++j)
                    EXPECT_FALSE(c[i] == c[j]) << what << " " << i << " " << j << " night " << night;
        };
        expectDistinct({p.digits, p.warning, p.danger, p.stale, p.doubtful, p.background}, "value");
        expectDistinct({p.markOff, p.markGood, p.markBusy, p.markBad, p.background}, "mark");
    }
}

TEST(PeakHold, KeepsTheExtremesUntilReset)
{
    PeakHold peaks;
    EXPECT_EQ(peaks.Text("%.0f"), "");
    for (double v : {3000.0, kNaN, 6500.0, 800.0, 4000.0})
        peaks.Take(v);
    EXPECT_EQ(peaks.Text("%.0f"), "max 6500/min 800");
    peaks.Reset();
    EXPECT_FALSE(peaks.HasPeaks());
    peaks.Take(-5);
    EXPECT_EQ(peaks.Max(), -5);
    EXPECT_EQ(peaks.Min(), -5);
}
