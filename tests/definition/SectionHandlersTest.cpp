#include "tests/definition/ParseHelpers.h"

#include <gtest/gtest.h>

using Names = std::vector<std::string>;

TEST(ConstantsSection, FieldsOfEachForm)
{
    const Parsed parsed = Parse(Lines({
        "[Constants]",
        "early = scalar, U08, 1, \"u\", 1, 0",
        "page = 2",
        "s = scalar, S16, 4, \"deg\", 0.1, -40, -40, 215, 1",
        "arr = array, U08, 10, [16x12], \"%\", 0.5, 0, 0, 127, 1",
        "yarr = array, S32, 20, [Y:8], \"kPa\", 1, 0, 0, 100, 0",
        "bits1 = bits, U08, 30, [2:3+1], \"a\", \"b\", \"c\"",
        "page = 3",
        "u32 = scalar, U32, 40, \"\", 2, 1, 0, 1000, 3",
        "short = scalar, U16",
        "ignored = Scalar, U08, 0",
        "alsoIgnored = table, U08, 0",
        "page",
        "late = scalar, U08, 0",
    }));
    EXPECT_TRUE(parsed.warnings.empty());
    const struct {
        const char* name;
        const char* describe;
    } cases[] = {
        {"early", "Name : early ; Units : u ;Const : 1 ;PageNo : -1 ;Offset : 1 ; SizeOf : 1 ; Signed : 0 ; "
                  "Scale : 1.000000 ; Trans : 0.000000 ; Lo : 0.000000 ; Hi : 0.000000 ; Digits : 0 ; "},
        {"s", "Name : s ; Units : deg ;Const : 1 ;PageNo : 2 ;Offset : 4 ; SizeOf : 2 ; Signed : 1 ; "
              "Scale : 0.100000 ; Trans : -40.000000 ; Lo : -40.000000 ; Hi : 215.000000 ; Digits : 1 ; "},
        {"arr", "Name : arr ; Units : % ;Const : 1 ;PageNo : 2 ;Offset : 10 ; SizeOf : 1 ; Signed : 0 ; "
                "Scale : 0.500000 ; Trans : 0.000000 ; Lo : 0.000000 ; Hi : 127.000000 ; Digits : 1 ; "
                "xOrder : 1 ; order : 2 ; shape[0] : 16 ; shpae[1] : 12 ; "},
        {"yarr", "Name : yarr ; Units : kPa ;Const : 1 ;PageNo : 2 ;Offset : 20 ; SizeOf : 4 ; Signed : 1 ; "
                 "Scale : 1.000000 ; Trans : 0.000000 ; Lo : 0.000000 ; Hi : 100.000000 ; Digits : 0 ; "
                 "xOrder : 0 ; order : 1 ; shape[0] : 8 ; shpae[1] : 1 ; "},
        {"bits1", "Name : bits1 ; Units :  ;Const : 1 ;PageNo : 2 ;Offset : 30 ; SizeOf : 1 ; Signed : 0 ; "
                  "BitLo : 2 ; BitHi : 3 ; BitOfs : 1 ; BitFields : a, b, c, "},
        {"u32", "Name : u32 ; Units :  ;Const : 1 ;PageNo : 3 ;Offset : 40 ; SizeOf : 4 ; Signed : 0 ; "
                "Scale : 2.000000 ; Trans : 1.000000 ; Lo : 0.000000 ; Hi : 1000.000000 ; Digits : 3 ; "},
        // Missing fields read as 0: even the scale.
        {"short", "Name : short ; Units :  ;Const : 1 ;PageNo : 3 ;Offset : 0 ; SizeOf : 2 ; Signed : 0 ; "
                  "Scale : 0.000000 ; Trans : 0.000000 ; Lo : 0.000000 ; Hi : 0.000000 ; Digits : 0 ; "},
        // A "page" line without a value sets page 0.
        {"late", "Name : late ; Units :  ;Const : 1 ;PageNo : 0 ;Offset : 0 ; SizeOf : 1 ; Signed : 0 ; "
                 "Scale : 0.000000 ; Trans : 0.000000 ; Lo : 0.000000 ; Hi : 0.000000 ; Digits : 0 ; "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Symbol* symbol = parsed.table->findSymbol(c.name);
        ASSERT_NE(symbol, nullptr);
        EXPECT_EQ(symbol->describe().utf8_string(), c.describe);
        EXPECT_TRUE(symbol->Const);
    }
    EXPECT_EQ(parsed.names(), (Names{"early", "s", "arr", "yarr", "bits1", "u32", "short", "late"}));
    // describe() prints six decimals; the fields keep the exact values.
    EXPECT_EQ(parsed.symbol("s").Scale, 0.1);
    EXPECT_EQ(parsed.symbol("bits1").Scale, 1.0);
}

TEST(ConstantsSection, EachWarning)
{
    const struct {
        const char* label;
        const char* line; // line index 2, after "[Constants]" and a good entry "a"
        const char* warning;
        Names symbols;
    } cases[] = {
        {"double type", "t = scalar, F64, 0", "Type field error! in line :2", {"a"}},
        {"one-digit type", "t = array, U8, 0, [4]", "Type field error! in line :2", {"a"}},
        {"type checked before the shape", "t = array, F64, 0, [x8]", "Type field error! in line :2", {"a"}},
        {"bits with a bad type", "t = bits, X16, 0, [0:1]", "Type field error! in line :2", {"a"}},
        {"shape without a size", "t = array, U08, 0, [x8]", "Array Shape error! in line :2", {"a"}},
        {"shape missing", "t = array, U08, 0", "Array Shape error! in line :2", {"a"}},
        {"shape too large", "t = array, U08, 0, [99999999999]", "Array size error! in line :2", {"a"}},
        {"first size too large", "t = array, U08, 0, [99999999999x2]", "Array size 1 error! in line :2", {"a"}},
        {"second size too large", "t = array, U08, 0, [2x99999999999]", "Array size 2 error! in line :2", {"a"}},
        {"bit field with a leading space", "t = bits, U08, 0, [ 0:1]", "BitField error! in line :2", {"a"}},
        {"bit field missing", "t = bits, U08, 0", "BitField error! in line :2", {"a"}},
        {"low bit too large", "t = bits, U08, 0, [99999999999:1]", "loBit value error! in line :2", {"a"}},
        {"high bit too large", "t = bits, U08, 0, [0:99999999999]", "hiBit value error! in line :2", {"a"}},
        {"offset too large", "t = bits, U08, 0, [0:1+99999999999]", "offsBit value error! in line :2", {"a"}},
        {"duplicate name", "a = scalar, U16, 0", "Duplicate symbol! : a - line : 2", {"a", "a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Parsed parsed =
            Parse(Lines({"[Constants]", "a = scalar, U08, 0", c.line, "z = scalar, U08, 1"}));
        Names want = c.symbols;
        want.push_back("z"); // the next line is read as usual
        EXPECT_EQ(parsed.names(), want);
        EXPECT_EQ(parsed.warnings, Names{c.warning});
        EXPECT_EQ(parsed.table->findSymbol("t"), nullptr);
    }
}

TEST(OutputChannelsSection, ScalarsAndExpressions)
{
    const Parsed parsed = Parse(Lines({
        "[OutputChannels]",
        "before = scalar, U08, 0, \"x\", 1, 0",
        "[Constants]",
        "page = 2",
        "[OutputChannels]",
        "page = 5",
        "rpm = scalar, U16, 4, \"rpm\", 1, 0",
        "spark = scalar, S16, 8, \"deg\", 0.1, 0",
        "lambda = { afr / 14.7 }",
        "tight = {rpm*2}",
        "flags = bits, U08, 1, [0:1]",
        "table = array, U08, 2, [4]",
        "ochBlockSize = 56",
        "signature = \"tarn 1.0\"",
        "bad = scalar, U64, 0",
    }));
    EXPECT_EQ(parsed.names(), (Names{"before", "rpm", "spark", "lambda", "tight", "flags"}));
    EXPECT_EQ(parsed.warnings, Names{"Type field error! in line :14"});
    EXPECT_EQ(parsed.table->getLinkSettings().ochBlockSize, 56);
    EXPECT_EQ(parsed.table->getLinkSettings().signature, "tarn 1.0");
    const Symbol& flags = parsed.symbol("flags");
    EXPECT_FALSE(flags.Const);
    EXPECT_EQ(flags.Offset, 1);
    EXPECT_EQ(flags.BitLo, 0);
    EXPECT_EQ(flags.BitHi, 1);

    EXPECT_EQ(parsed.symbol("before").PageNo, -1);
    const Symbol& rpm = parsed.symbol("rpm");
    EXPECT_FALSE(rpm.Const);
    EXPECT_EQ(rpm.PageNo, 2); // "page" is a [Constants] line only
    EXPECT_EQ(rpm.Offset, 4);
    EXPECT_EQ(rpm.SizeOf, 2);
    EXPECT_FALSE(rpm.Signed);
    EXPECT_EQ(rpm.Units, "rpm");
    const Symbol& spark = parsed.symbol("spark");
    EXPECT_TRUE(spark.Signed);
    EXPECT_EQ(spark.Scale, 0.1);

    const Symbol& lambda = parsed.symbol("lambda");
    EXPECT_EQ(lambda.expr, " afr / 14.7 ");
    EXPECT_EQ(lambda.Offset, -1);
    EXPECT_EQ(lambda.PageNo, 0);
    EXPECT_FALSE(lambda.Const);
    EXPECT_TRUE(lambda.Units.empty());
    EXPECT_EQ(parsed.symbol("tight").expr, "rpm*2");
}

TEST(OutputChannelsSection, LaterSymbolWinsAcrossSections)
{
    const Parsed parsed = Parse(Lines({
        "[Constants]",
        "rpm = scalar, U08, 0, \"c\", 1, 0",
        "[OutputChannels]",
        "rpm = scalar, U16, 2, \"rpm\", 1, 0",
        "rpm = { 1 + 1 }",
    }));
    EXPECT_EQ(parsed.warnings,
              (Names{"Duplicate symbol! : rpm - line : 3", "Duplicate symbol! : rpm - line : 4"}));
    EXPECT_EQ(parsed.names(), (Names{"rpm", "rpm", "rpm"}));
    EXPECT_EQ(parsed.symbol("rpm").expr, " 1 + 1 ");
    EXPECT_EQ(parsed.table->getSymbols().size(), 1u);
}

namespace {

struct RangeWant {
    double lo, hi;
    const char* colour;
};

void ExpectRanges(const TARNGaugeDesc& gauge, const std::vector<RangeWant>& want)
{
    const auto& ranges = gauge.getRanges();
    ASSERT_EQ(ranges.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "range " << i);
        EXPECT_EQ(ranges[i].lo, want[i].lo);
        EXPECT_EQ(ranges[i].hi, want[i].hi);
        EXPECT_STREQ(ranges[i].colour->name, want[i].colour);
    }
}

} // namespace

TEST(GaugeConfigurationsSection, GaugeLines)
{
    const struct {
        const char* label;
        const char* line;
        const char* name;
        const char* symbol;
        const char* title;
        const char* units;
        double minValue, maxValue;
        std::vector<RangeWant> ranges;
        int field10, field11, minor, major, scale;
        const char* format;
    } cases[] = {
        {"full line", "g = sym, \"Title\", \"units\", 0, 100, 10, 20, 80, 90, 1, 2, 4, 5, 1000, \"%.1f\"",
         "g", "sym", "Title", "units", 0, 100,
         {{0, 10, "red"}, {10, 20, "orange"}, {80, 90, "orange"}, {90, 100, "red"}},
         1, 2, 4, 5, 1000, "%.1f"},
        {"tokens 0 to 11 keep the defaults",
         "rpmGauge = rpm, \"Engine speed\", \"RPM\", 0, 8000, 300, 600, 6500, 7000, 0, 0",
         "rpmGauge", "rpm", "Engine speed", "RPM", 0, 8000,
         {{0, 300, "red"}, {300, 600, "orange"}, {6500, 7000, "orange"}, {7000, 8000, "red"}},
         0, 0, 5, 10, 1, "%.0f"},
        {"zero divisions and scale keep the defaults",
         "g = s, \"T\", \"u\", -40, 120, -40, -40, 100, 110, 3, 4, 0, 0, 0, \"\"",
         "g", "s", "T", "u", -40, 120,
         {{-40, -40, "red"}, {-40, -40, "orange"}, {100, 110, "orange"}, {110, 120, "red"}},
         3, 4, 5, 10, 1, "%.0f"},
        {"negative scale keeps the default, negative divisions are taken",
         "g = s, \"T\", \"u\", 0, 10, 1, 2, 8, 9, 0, 0, -2, -3, -5",
         "g", "s", "T", "u", 0, 10,
         {{0, 1, "red"}, {1, 2, "orange"}, {8, 9, "orange"}, {9, 10, "red"}},
         0, 0, -2, -3, 1, "%.0f"},
        {"fewer than six tokens: maximum 0", "g = s, \"T\", \"u\", 10",
         "g", "s", "T", "u", 10, 0,
         {{10, 0, "red"}, {0, 0, "orange"}, {0, 0, "orange"}, {0, 0, "red"}},
         0, 0, 5, 10, 1, "%.0f"},
        {"title replaced even when absent", "bare = sym", "bare", "sym", "", "", 0, 0,
         {{0, 0, "red"}, {0, 0, "orange"}, {0, 0, "orange"}, {0, 0, "red"}},
         0, 0, 5, 10, 1, "%.0f"},
        {"inverted limits are kept", "g = s, \"T\", \"u\", 0, 100, 50, 40, 90, 80",
         "g", "s", "T", "u", 0, 100,
         {{0, 50, "red"}, {50, 40, "orange"}, {90, 80, "orange"}, {80, 100, "red"}},
         0, 0, 5, 10, 1, "%.0f"},
        {"fractional fields truncate", "g = s, \"T\", \"u\", 0.5, 1.5, 0, 0, 1, 1, 7.9, -7.9, 2.9, 3.9, 10.9",
         "g", "s", "T", "u", 0.5, 1.5,
         {{0.5, 0, "red"}, {0, 0, "orange"}, {1, 1, "orange"}, {1, 1.5, "red"}},
         7, -7, 2, 3, 10, "%.0f"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Parsed parsed = Parse(Lines({"[GaugeConfigurations]", c.line}));
        EXPECT_TRUE(parsed.warnings.empty());
        ASSERT_EQ(parsed.table->getGauges().size(), 1u);
        const TARNGaugeDesc& g = *parsed.table->getGauges()[0];
        EXPECT_EQ(g.getName(), c.name);
        EXPECT_EQ(g.getSymbolName(), c.symbol);
        EXPECT_EQ(g.getTitle(), c.title);
        EXPECT_EQ(g.getUnits(), c.units);
        EXPECT_EQ(g.getMinValue(), c.minValue);
        EXPECT_EQ(g.getMaxValue(), c.maxValue);
        ExpectRanges(g, c.ranges);
        EXPECT_EQ(g.getField10(), c.field10);
        EXPECT_EQ(g.getField11(), c.field11);
        EXPECT_EQ(g.getMinorDivisions(), c.minor);
        EXPECT_EQ(g.getMajorDivisions(), c.major);
        EXPECT_EQ(g.getScaleFactor(), c.scale);
        EXPECT_EQ(g.getLabelFormat(), c.format);
        EXPECT_TRUE(parsed.table->getAllSymbols().empty());
    }
}

TEST(GaugeConfigurationsSection, FileOrderDuplicatesAndBlocks)
{
    const Parsed parsed = Parse(Lines({
        "[GaugeConfigurations]",
        "b = rpm, \"B\"",
        "a = map, \"A\"",
        "#if VER2",
        "skipped = rpm, \"S\"",
        "#else",
        "b = spark, \"B2\"",
        "#endif",
        "gaugeCategory = \"Main\"",
        "gaugeCategory = Trigger",
        "bare",
        "quoted = \"rpm\", \"Q\"",
        "#define list = \"a\", \"b\"",
    }));
    std::vector<std::string> seen;
    for (const TARNGaugeDesc* g : parsed.table->getGauges())
        seen.push_back((g->getName() + "/" + g->getSymbolName() + "/" + g->getTitle()).utf8_string());
    // Only "name = channel, ..." lines are gauges: categories and settings are not.
    EXPECT_EQ(seen, (Names{"b/rpm/B", "a/map/A", "b/spark/B2"}));
}

TEST(DatalogSection, Entries)
{
    const Parsed parsed = Parse(Lines({
        "[Datalog]",
        "entry = rpm, \"RPM\", int, \"%d\"",
        "entry = map, \"MAP\"",
        "entry = tps, \"TPS\", float, \"%.1f\", extra, more",
        "other = a, b, c, d",
        "Entry = a, b, c, d",
        "entry",
        "#if VER2",
        "entry = skipped, \"S\", int, \"%d\"",
        "#endif",
    }));
    std::vector<Names> seen;
    for (const DatalogEntry& e : parsed.table->getDatalogEntries())
        seen.push_back({e.a.utf8_string(), e.b.utf8_string(), e.c.utf8_string(), e.d.utf8_string()});
    const std::vector<Names> want = {
        {"rpm", "RPM", "int", "%d"},
        {"map", "MAP", "", ""},
        {"tps", "TPS", "float", "%.1f"},
        {"", "", "", ""},
    };
    EXPECT_EQ(seen, want);
    EXPECT_TRUE(parsed.table->getAllSymbols().empty());
    EXPECT_TRUE(parsed.warnings.empty());
    // Datalog lines add nothing to the trace.
    EXPECT_EQ(parsed.log[1], "Line :    2 -> ");
}
