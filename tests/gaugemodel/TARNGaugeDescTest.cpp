#include "gaugemodel/NumberFormat.h"
#include "gaugemodel/TARNGaugeDesc.h"

#include <gtest/gtest.h>

#include <vector>

static TARNGaugeDesc Desc(double lo, double hi, int major = 10, int scale = 1,
                          const char* format = "%.0f")
{
    TARNGaugeDesc d;
    d.setMinValue(lo);
    d.setMaxValue(hi);
    d.setMajorDivisions(major);
    d.setScaleFactor(scale);
    d.setLabelFormat(format);
    return d;
}

static std::vector<wxString> Labels(const TARNGaugeDesc& d)
{
    const wxArrayString labels = d.GaugeNumbers();
    return std::vector<wxString>(labels.begin(), labels.end());
}

TEST(TARNGaugeDesc, Defaults)
{
    TARNGaugeDesc d;
    EXPECT_EQ(d.getTitle(), "TARN");
    EXPECT_EQ(d.getLabelFormat(), "%.0f");
    EXPECT_EQ(d.getMaxValue(), 1000.0);
    EXPECT_EQ(d.totalTicks(), 50);
    EXPECT_EQ(d.getStartAngle(), 135);
    EXPECT_EQ(d.getSweepAngle(), 270);
}

TEST(TARNGaugeDesc, ScaleFactorIgnoresZeroAndNegative)
{
    TARNGaugeDesc d;
    for (int bad : {0, -1, -1000}) {
        d.setScaleFactor(bad);
        EXPECT_EQ(d.getScaleFactor(), 1) << bad;
    }
    d.setScaleFactor(1000);
    d.setScaleFactor(0);
    EXPECT_EQ(d.getScaleFactor(), 1000);
}

TEST(TARNGaugeDesc, ValueFormatBySpan)
{
    struct Case {
        double span;
        const char* want;
    } cases[] = {{5000, "%.0f"}, {1000, "%3.1f"}, {500, "%3.1f"}, {100, "%2.2f"},
                 {50, "%2.2f"},  {10, "%1.2f"},   {5, "%1.2f"},   {1, "%1.2f"},
                 {0.5, "%1.2f"}, {0.1, "%.0f"},   {0, "%.0f"},    {-50, "%.0f"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.span);
        EXPECT_EQ(Desc(0, c.span).valueFormat(), c.want);
        EXPECT_EQ(Desc(-c.span, 0).valueFormat(), c.want);
    }
}

TEST(TARNGaugeDesc, GaugeNumbers)
{
    struct Case {
        const char* label;
        TARNGaugeDesc desc;
        std::vector<wxString> want;
    } cases[] = {
        {"0..100 in tens", Desc(0, 100), {"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}},
        {"scaled by 1000", Desc(0, 8000, 8, 1000), {"0", "1", "2", "3", "4", "5", "6", "7", "8"}},
        {"own format", Desc(-1, 1, 4, 1, "%.1f"), {"-1.0", "-0.5", "0.0", "0.5", "1.0"}},
        {"max below min", Desc(100, 0), {}},
        {"equal limits end after one", Desc(50, 50), {"50"}},
        {"zero divisions end after one", Desc(0, 100, 0), {"0"}},
        {"negative divisions end after one", Desc(0, 100, -4), {"0"}},
        {"unsafe format falls back", Desc(0, 10, 2, 1, "%s%n"), {"0", "5", "10"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(Labels(c.desc), c.want);
    }
}

// The file's value and label digits, once taken: a 0.5 to 1.5 dial no longer
// reads "0 1 1 ... 2", nor a spark advance "18.90" where one digit is asked.
TEST(TARNGaugeDesc, FileDigits)
{
    struct Case {
        const char* label;
        TARNGaugeDesc desc;
        int valueDigits, labelDigits;
        double value;
        wxString wantValue;
        std::vector<wxString> wantLabels;
    } cases[] = {
        {"lambda", Desc(0.5, 1.5, 4), 2, 1, 0.884, "0.88", {"0.5", "0.8", "1.0", "1.2", "1.5"}},
        {"spark", Desc(-10, 50, 3), 1, 0, 18.9, "18.9", {"-10", "10", "30", "50"}},
        {"own label format wins", Desc(0, 1, 2, 1, "%.3f"), 0, 1, 0.6, "1", {"0.000", "0.500", "1.000"}},
        {"negative digits read as none", Desc(0, 10, 1), -2, -1, 4.4, "4", {"0", "10"}},
        {"far too many are capped", Desc(0, 1, 1), 40, 0, 0.25, "0.250000000", {"0", "1"}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.label);
        c.desc.setField10(c.valueDigits);
        c.desc.setField11(c.labelDigits);
        c.desc.useFileDigits();
        EXPECT_EQ(FormatNumber(c.desc.valueFormat(), c.value), c.wantValue);
        EXPECT_EQ(Labels(c.desc), c.wantLabels);
    }
}

TEST(TARNGaugeDesc, GaugeNumbersAreBoundedForHugeDivisionCounts)
{
    const TARNGaugeDesc d = Desc(0, 1e9, 2000000000);
    EXPECT_EQ(int(d.GaugeNumbers().GetCount()), TARNGaugeDesc::kMaxLabels);
}

TEST(TARNGaugeDesc, RangesKeepOrderAndSharedColours)
{
    TARNGaugeDesc d;
    d.addRedRange(0, 10);
    d.addOrangeRange(10, 20);
    d.addOrangeRange(90, 80); // inverted ranges are kept; the dial skips them
    ASSERT_EQ(d.getRanges().size(), 3u);
    EXPECT_EQ(d.getRanges()[0].colour, &kRangeRed);
    EXPECT_EQ(d.getRanges()[1].colour, &kRangeOrange);
    EXPECT_EQ(d.getRanges()[2].lo, 90.0);
    EXPECT_EQ(kRangeOrange.green, 128);
}

TEST(TARNGaugeDesc, Describe)
{
    TARNGaugeDesc d = Desc(0, 8000, 8, 1000);
    d.setName("tachometer");
    d.setSymbolName("rpm");
    d.addRedRange(0, 300);
    EXPECT_EQ(d.describe(), "Name : tachometer \nSymbol Name : rpm \nMin Value : 0.000000 \n"
                            "Max Value : 8000.000000 \nScale factor: 1000 \nMajor divisions: 8 \n"
                            "min value : 0.000000; max value : 300.000000; \n");
}

TEST(NumberFormat, OnlyOneFloatingConversionIsSafe)
{
    struct Case {
        const char* format;
        bool safe;
    } cases[] = {{"%.0f", true},   {"%3.1f", true}, {"%-+08.2e", true}, {"%g%%", true},
                 {"x %G y", true}, {"%s", false},   {"%d", false},      {"%n", false},
                 {"%f%f", false},  {"", false},     {"100%", false},    {"%1234f", false},
                 {"%.123f", false}, {"%%", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(IsSafeNumberFormat(c.format), c.safe);
    }
    EXPECT_EQ(FormatNumber("%s", 3.0), "3");
    EXPECT_EQ(FormatNumber("%.2f V", 12.345), "12.35 V");
}
