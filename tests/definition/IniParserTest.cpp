#include "tests/definition/ParseHelpers.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestTime.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

using Names = std::vector<std::string>;

namespace {

struct PreprocessorCase {
    const char* label;
    std::vector<const char*> lines; // after a first line "[Constants]"
    Names symbols;
    Names warnings;
};

std::string WithConstants(const std::vector<const char*>& lines)
{
    std::string text = "[Constants]\n";
    for (const char* line : lines)
        text += std::string(line) + "\n";
    return text;
}

} // namespace

TEST(IniParser, Preprocessor)
{
    const PreprocessorCase cases[] = {
        {"true branch read, else skipped",
         {"#if CELSIUS", "a = scalar, U08, 0", "#else", "b = scalar, U08, 0", "#endif"}, {"a"}, {}},
        {"false block skipped until endif",
         {"#if VER2", "a = scalar, U08, 0", "#endif", "b = scalar, U08, 0"}, {"b"}, {}},
        {"false condition takes the else branch",
         {"#if NARROW_BAND_EGO", "a = scalar, U08, 0", "#else", "b = scalar, U08, 0", "#endif"}, {"b"}, {}},
        {"unknown setting is false and warned",
         {"#if LAMBDA", "a = scalar, U08, 0", "#endif", "b = scalar, U08, 0"}, {"b"},
         {"LAMBDA no matching condition!  - line: 1"}},
        {"setting names are case-sensitive",
         {"#if celsius", "a = scalar, U08, 0", "#endif"}, {}, {"celsius no matching condition!  - line: 1"}},
        {"if without a name",
         {"#if", "a = scalar, U08, 0", "#else", "b = scalar, U08, 0", "#endif"}, {"b"},
         {" no matching condition!  - line: 1"}},
        {"every false setting",
         {"#if 12X12", "a = scalar, U08, 0", "#endif", "#if HIGHBOOST", "b = scalar, U08, 0", "#endif",
          "#if VER2", "c = scalar, U08, 0", "#endif", "d = scalar, U08, 0"},
         {"d"}, {}},
        {"inner true block inside a false one stays inactive",
         {"#if VER2", "#if CELSIUS", "a = scalar, U08, 0", "#else", "b = scalar, U08, 0", "#endif",
          "c = scalar, U08, 0", "#else", "d = scalar, U08, 0", "#endif", "e = scalar, U08, 0"},
         {"d", "e"}, {}},
        {"inner false block inside a true one",
         {"#if CELSIUS", "#if VER2", "a = scalar, U08, 0", "#else", "b = scalar, U08, 0", "#endif",
          "c = scalar, U08, 0", "#endif"},
         {"b", "c"}, {}},
        {"endif without if warns and changes nothing",
         {"#endif", "a = scalar, U08, 0"}, {"a"}, {"IF statement missing! in line :1"}},
        {"else without if warns and changes nothing",
         {"a = scalar, U08, 0", "#else", "b = scalar, U08, 0"}, {"a", "b"},
         {"IF statement missing! in line :2"}},
        {"extra endif after a closed block",
         {"#if VER2", "#endif", "#endif", "a = scalar, U08, 0"}, {"a"}, {"IF statement missing! in line :3"}},
        {"second else keeps the else branch (true block)",
         {"#if CELSIUS", "a = scalar, U08, 0", "#else", "b = scalar, U08, 0", "#else", "c = scalar, U08, 0",
          "#endif", "d = scalar, U08, 0"},
         {"a", "d"}, {}},
        {"second else keeps the else branch (false block)",
         {"#if VER2", "a = scalar, U08, 0", "#else", "b = scalar, U08, 0", "#else", "c = scalar, U08, 0",
          "#endif"},
         {"b", "c"}, {}},
        {"block open at the end is not reported", {"#if VER2", "a = scalar, U08, 0"}, {}, {}},
        {"indented directives and a space after the hash",
         {"   #if VER2", "a = scalar, U08, 0", "# else ; comment", "b = scalar, U08, 0", "\t#endif"}, {"b"}, {}},
        {"upper-case words are no directives",
         {"#IF VER2", "a = scalar, U08, 0", "#ENDIF"}, {"a"}, {}},
        {"other directives pass as entry lines",
         {"#include \"x.ini\"", "#define a = scalar, U08", "a = scalar, U08, 0"}, {"a"}, {}},
        {"token 1 alone makes the directive",
         {"x if VER2", "a = scalar, U08, 0", "x endif", "b = scalar, U08, 0"}, {"b"}, {}},
    };
    for (const PreprocessorCase& c : cases) {
        SCOPED_TRACE(c.label);
        const Parsed parsed = Parse(WithConstants(c.lines));
        EXPECT_EQ(parsed.names(), c.symbols);
        EXPECT_EQ(parsed.warnings, c.warnings);
    }
}

TEST(IniParser, Sections)
{
    const struct {
        const char* label;
        std::string text;
        Names symbols;
    } cases[] = {
        {"entries before the first header are ignored",
         Lines({"a = scalar, U08, 0", "[Constants]", "b = scalar, U08, 0"}), {"b"}},
        {"sections without a handler add nothing",
         Lines({"[MegaTune]", "a = scalar, U08, 0", "[Menu]", "b = scalar, U08, 0", "[TableEditor]",
                "c = scalar, U08, 0", "[FrontPage]", "d = scalar, U08, 0", "[RunTime]", "e = scalar, U08, 0",
                "[Tuning]", "f = scalar, U08, 0", "[UserDefined]", "g = scalar, U08, 0"}),
         {}},
        {"a space inside the brackets names another section",
         Lines({"[ Constants]", "a = scalar, U08, 0", "[Constants ]", "b = scalar, U08, 0"}), {}},
        {"section names are case-sensitive", Lines({"[constants]", "a = scalar, U08, 0"}), {}},
        {"a header inside a false block still switches",
         Lines({"[Menu]", "#if VER2", "[Constants]", "a = scalar, U08, 0", "#endif", "b = scalar, U08, 0"}),
         {"b"}},
        {"a header after a comment on its line", Lines({"[Constants] ; tuning", "a = scalar, U08, 0"}), {"a"}},
        {"an unterminated header still names the section", Lines({"[Constants", "a = scalar, U08, 0"}), {"a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Parsed parsed = Parse(c.text);
        EXPECT_EQ(parsed.names(), c.symbols);
        EXPECT_TRUE(parsed.table->getGauges().empty());
        EXPECT_TRUE(parsed.warnings.empty());
    }
}

TEST(IniParser, TraceOneLinePerProcessedLine)
{
    const Parsed parsed = Parse(Lines({
        "; comment",                                         // 1: no trace
        "[Constants]",                                       // 2
        "",                                                  // 3: no trace
        "page = 1",                                          // 4
        "a = scalar, U08, 3, \"ms\", 0.5, 0, 0, 100, 1",     // 5
        "#if VER2",                                          // 6
        "b = scalar, U08, 4",                                // 7: skipped
        "#else",                                             // 8
        "#endif",                                            // 9
        "bad = scalar, F64, 0",                              // 10: dropped
        "[GaugeConfigurations]",                             // 11
        "g = a, \"A\"",                                      // 12
        "[OutputChannels]",                                  // 13
        "e = { a * 2 }",                                     // 14
        "c = scalar, S16, 0, \"x\", 2, 1",                   // 15
        "#endif",                                            // 16: unmatched
        "   \t ; indented comment",                          // 17: no trace
        "  \t",                                              // 18: no trace
    }));
    const Names want = {
        "Line :    2 -> section : Constants",
        "Line :    4 -> ",
        "Line :    5 -> add scalar : Name : a ; Units : ms ;Const : 1 ;PageNo : 1 ;Offset : 3 ; SizeOf : 1 ; "
        "Signed : 0 ; Scale : 0.500000 ; Trans : 0.000000 ; Lo : 0.000000 ; Hi : 100.000000 ; Digits : 1 ; ",
        "Line :    6 -> if - VER2",
        "Line :    7 -> ",
        "Line :    8 -> else",
        "Line :    9 -> ",
        "Line :   10 -> ",
        "Line :   11 -> section : GaugeConfigurations",
        "Line :   12 -> Add gauge : g",
        "Line :   13 -> section : OutputChannels",
        "Line :   14 -> add expr : name: e, expr:  a * 2 ",
        "Line :   15 -> add scalar : Name : c ; Units : x ;Const : 0 ;PageNo : 1 ;Offset : 0 ; SizeOf : 2 ; "
        "Signed : 1 ; Scale : 2.000000 ; Trans : 1.000000 ; Lo : 0.000000 ; Hi : 0.000000 ; Digits : 0 ; ",
        "Line :   16 -> ",
    };
    EXPECT_EQ(parsed.log, want);
    EXPECT_EQ(parsed.warnings, (Names{"Type field error! in line :9", "IF statement missing! in line :15"}));
}

TEST(IniParser, TraceNumbersWideLines)
{
    std::string text = "[Menu]\n";
    for (int i = 0; i < 12344; ++i)
        text += "x\n";
    const Parsed parsed = Parse(text);
    ASSERT_FALSE(parsed.log.empty());
    EXPECT_EQ(parsed.log.front(), "Line :    1 -> section : Menu");
    EXPECT_EQ(parsed.log.back(), "Line : 12345 -> ");
}

TEST(IniParser, DuplicateIsAlsoLoggedByTheTable)
{
    const Parsed parsed = Parse(Lines({"[Constants]", "a = scalar, U08, 0", "a = scalar, U16, 1"}));
    EXPECT_EQ(parsed.warnings, Names{"Duplicate symbol! : a - line : 2"});
    EXPECT_NE(std::find(parsed.log.begin(), parsed.log.end(), "Duplicate Symbol!: a"), parsed.log.end());
    EXPECT_EQ(parsed.symbol("a").SizeOf, 2);
    EXPECT_EQ(parsed.names(), (Names{"a", "a"}));
}

TEST(IniParser, DeepNestingIsHandled)
{
    // A hostile file: many open blocks, then many entries; all read, and the
    // stack freed when the parser goes.
    const int depth = 50000;
    std::string text = "[Constants]\n";
    for (int i = 0; i < depth; ++i)
        text += "#if CELSIUS\n";
    for (int i = 0; i < depth; ++i)
        text += "a" + std::to_string(i) + " = scalar, U08, 0\n";
    const auto start = std::chrono::steady_clock::now();
    {
        wxLogNull quiet;
        IniParser parser;
        parser.openBytes(text);
        while (parser.readNext()) {
        }
        EXPECT_TRUE(parser.isActive());
        EXPECT_EQ(parser.getTable()->getAllSymbols().size(), size_t(depth));
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 10.0 * TestTime::factor());
}

TEST(IniParser, ReleaseHandsTheTableOver)
{
    IniParser parser;
    SymbolTable* table = parser.getTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(parser.releaseTable(), table);
    EXPECT_EQ(parser.getTable(), nullptr);
    delete table;
}

TEST(IniParser, Latin1FileKeepsItsUnits)
{
    // The same entries encoded both ways must load alike.
    const struct {
        const char* label;
        std::string degree;
    } cases[] = {{"ISO-8859-1", "\xB0"}, {"UTF-8", "\xC2\xB0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        wxLogNull quiet;
        const TempDir dir;
        const std::string path = dir.file("latin1.ini");
        std::ofstream(path, std::ios::binary)
            << "[Constants]\r\n"
            << "page = 1\r\n"
            << "warmup = array, U08, 0, [10], \"%\", 1, 0, 0, 255, 0 ; " << c.degree << "C steps\r\n"
            << "[OutputChannels]\r\n"
            << "coolant = scalar, U08, 7, \"" << c.degree << "C\", 1, -40\r\n"
            << "mat = scalar, U08, 8, \"" << c.degree << "C\", 1, -40\r\n"
            << "[GaugeConfigurations]\r\n"
            << "cltGauge = coolant, \"Coolant\", \"" << c.degree << "C\", -40, 120, -15, 0, 95, 105\r\n";
        wxArrayString warnings;
        int result = -99;
        std::unique_ptr<SymbolTable> table(loadDefinitionFileFrom(path, &warnings, &result));
        EXPECT_EQ(result, 0);
        EXPECT_TRUE(warnings.empty());
        ASSERT_EQ(table->getAllSymbols().size(), 3u);
        const wxString degreesC = wxString::FromUTF8("\xC2\xB0" "C");
        EXPECT_EQ(table->findSymbol("coolant")->Units, degreesC);
        EXPECT_EQ(table->findSymbol("coolant")->Offset, 7);
        EXPECT_EQ(table->findSymbol("mat")->Units, degreesC);
        ASSERT_EQ(table->getGauges().size(), 1u);
        EXPECT_EQ(table->getGauges()[0]->getUnits(), degreesC);
    }
}

TEST(IniParser, LoadFromPathResults)
{
    const struct {
        const char* label;
        wxString path;
        int result;
    } cases[] = {
        {"empty name", "", -1},
        {"missing file", "/nonexistent/tarnv3.ini", -2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        wxArrayString warnings;
        warnings.Add("stale");
        int result = 0;
        std::unique_ptr<SymbolTable> table(loadDefinitionFileFrom(c.path, &warnings, &result));
        EXPECT_EQ(result, c.result);
        ASSERT_NE(table, nullptr);
        EXPECT_TRUE(table->getAllSymbols().empty());
        EXPECT_TRUE(warnings.empty());
    }
}

TEST(IniParser, LoadDefinitionFileUsesTheWorkingDirectory)
{
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    const TempDir dir;
    ASSERT_EQ(chdir(dir.path.c_str()), 0);
    wxLogNull quiet;

    std::ofstream("tarnv3.ini") << "[OutputChannels]\nrpm = scalar, U16, 0, \"rpm\", 1, 0\n"
                                << "[GaugeConfigurations]\nrpmGauge = rpm, \"RPM\"\n";
    loadDefinitionFile();
    ASSERT_NE(currentSymbolTable()->findSymbol("rpm"), nullptr);
    EXPECT_EQ(currentSymbolTable()->getGauges().size(), 1u);

    std::remove("tarnv3.ini");
    loadDefinitionFile();
    EXPECT_EQ(currentSymbolTable()->findSymbol("rpm"), nullptr);
    EXPECT_TRUE(currentSymbolTable()->getAllSymbols().empty());
    EXPECT_TRUE(currentSymbolTable()->getGauges().empty());

    EXPECT_EQ(chdir(previous), 0);
}
