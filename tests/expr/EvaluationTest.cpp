#include "tests/expr/EvalTestSupport.h"

#include <cstdint>
#include <string>

namespace {

struct Case {
    const char* text;
    double want;
};

class Arithmetic : public EvaluationFixture {
protected:
    void expectAll(const std::vector<Case>& cases)
    {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.text);
            const Outcome got = run(c.text);
            EXPECT_EQ(got.value, c.want);
            EXPECT_EQ(got.reports, Reports{});
        }
    }
};

} // namespace

TEST_F(Arithmetic, PrecedenceAndAssociativity)
{
    expectAll({
        {"1+2*3", 7},        {"(1+2)*3", 9},       {"10-4-3", 3},   // not 10-(4-3)
        {"1-2+3", 2},        {"16/4/2", 2},        {"2*3+4*5", 26}, // not 16/(4/2)
        {"2*(3+4)*5", 70},   {"7/2", 3.5},         {" 1 +\t2 ", 3},
        {"0.5*4", 2},        {"2 + 1 > 2", 1},     {"1 << 2 > 3", 1}, // comparison loosest
        {"1 << 2 + 1", 8},   {"(0 ? 1 : 2) * 3", 6},
    });
}

TEST_F(Arithmetic, UnaryMinus)
{
    expectAll({
        {"2*-3", -6}, {"--3", 3},  {"-2*-2", 4},     {"-(2+3)", -5},
        {"1+-1", 0},  {"-3-3", -6}, {"---1", -1},     {"- 4 / 2", -2},
    });
}

TEST_F(Arithmetic, Shifts)
{
    expectAll({
        {"1 << 4", 16},
        {"-16 >> 2", -4},
        {"1 << 2 + 1", 8},   // the count is the whole addition
        {"3.9 << 1", 6},     // truncated, not rounded
        {"-3.9 << 1", -6},   // toward zero, not floor
        {"256 >> 1.9", 128}, // the count truncates too
        {"1 << 32", 0},
        {"-1 >> 40", -1},
        {"16 >> 40", 0},
        {"7 >> 1", 3},
        {"-7 >> 1", -4},     // arithmetic shift rounds down
        {"-1 << 1", -2},     // negative numbers shift left too
        {"1 << 31", -2147483648.0},
        {"3 << 31", -2147483648.0},
        {"-1 << 31", -2147483648.0},
        {"1 << 256", 1},     // only the low 8 bits of the count
        {"1 << 257", 2},
        {"1 << -1", 0},      // count 255
        {"-1 >> -1", -1},
        {"1 << 2 << 3", 32}, // left to right, not 1 << 16
        {"64 >> 2 >> 1", 8},
    });
}

TEST_F(Arithmetic, ShiftOperandsOutsideTheIntegerRange)
{
    table["nan"] = kNaN;
    table["inf"] = kInf;
    expectAll({
        {"5000000000 >> 1", 1073741823},   // saturates at 2^31-1, keeps its sign
        {"-5000000000 >> 1", -1073741824}, // saturates at -2^31
        {"2147483648 >> 0", 2147483647},
        {"-2147483649 >> 0", -2147483648.0},
        {"1 << 5000000000", 0}, // count 2^31-1, low bits 255
        {"nan >> 0", 0},
        {"1 << nan", 1},
        {"inf >> 0", 2147483647},
        {"-inf >> 0", -2147483648.0},
    });
}

TEST_F(Arithmetic, Comparisons)
{
    table["nan"] = kNaN;
    expectAll({
        {"3 > 2", 1},     {"2 < 1", 0},     {"1 < 2 < 3", 1}, {"3 > 2 > 1", 0}, // (3>2)>1
        {"2 < 2", 0},     {"2 > 2", 0},     {"-1 < 0", 1},    {"nan < 1", 0},
        {"nan > 1", 0},   {"1 < nan", 0},
    });
}

TEST_F(Arithmetic, Numbers)
{
    expectAll({
        {"1.2.3", 1.2},
        {".", 0},
        {"..5", 0},
        {".5", 0.5},
        {"5.", 5},
        {"007", 7},
        {"3.5.5 + 1", 4.5}, // the whole run of digits and points is one number
        {"1..2", 1},
        {"12345678901234567890", 12345678901234567890.0},
        {"-5", -5},
    });
    std::string huge(400, '9');
    EXPECT_EQ(run(huge).value, kInf);
    EXPECT_EQ(run("0." + std::string(400, '0') + "1").value, 0.0);
}

TEST_F(Arithmetic, NoExponentInNumbers)
{
    const Outcome got = run("1e5");
    EXPECT_EQ(got.value, 1);
    EXPECT_EQ(got.reports, Reports{});
    // e5 was read as a name but never used as a variable.
    EXPECT_FALSE(inTable("e5"));
    bool nameRead = false;
    for (const LogCapture::Record& line : log.records())
        nameRead = nameRead || line.text == "Evaluation::getName(): e5";
    EXPECT_TRUE(nameRead);

    EXPECT_EQ(run("0x10").value, 0);
}

TEST_F(Arithmetic, Conditionals)
{
    table["nan"] = kNaN;
    expectAll({
        {"1 ? 5 : 6", 5},
        {"0 ? 5 : 6", 6},
        {"1 ? 2 : 0 ? 3 : 4", 2},
        {"0 ? 2 : 0 ? 3 : 4", 4},
        {"0 ? 2 : 1 ? 3 : 4", 3},
        {"1 ? 0 ? 7 : 8 : 9", 8},
        {"-0.5 ? 1 : 2", 1},
        {"-0 ? 1 : 2", 2},
        {"nan ? 1 : 2", 1},
        {"1 < 2 ? 10 : 20", 10},
        {"0 ? 3 : 4 + 1", 5},
        {"2 ? 3 : 4 + 1", 3},
    });
}

TEST_F(Arithmetic, OnlyTheChosenBranchIsComputed)
{
    table["x"] = 0;
    expectAll({
        {"0 ? 1/0 : 6", 6},
        {"1 ? 6 : 1/0", 6},
        {"x > 0 ? 100 / x : 5", 5},
        {"0 ? (1 ? 1/0 : 2) : 3", 3},     // chosen inside a branch that is not
        {"1 ? (0 ? 1/0 : 2) : 3/0", 2},
        {"0 ? 1 << 1/0 : 7", 7},
    });
    table["x"] = 4;
    expectAll({{"x > 0 ? 100 / x : 5", 25}});
}

TEST_F(Arithmetic, SkippedBranchTouchesNoVariable)
{
    const Case cases[] = {
        {"0 ? y : 6", 6}, {"1 ? 6 : y", 6}, {"0 ? y = 3 : 4", 4}, {"1 ? 6 : (0 ? 1 : y)", 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        table.clear();
        const Outcome got = run(c.text);
        EXPECT_EQ(got.value, c.want);
        EXPECT_EQ(got.reports, Reports{});
        EXPECT_TRUE(table.empty());
    }
}

TEST_F(Arithmetic, SkippedBranchIsStillParsed)
{
    const struct {
        const char* text;
        const char* report;
    } cases[] = {
        {"1 ? 2 : (3", "syntax error: ) expected \n"},
        {"0 ? (1 : 2", "syntax error: ) expected \n"},
        {"1 ? 2 : $", "syntax error: bad token \n"},
        {"1 ? 2 : ", "syntax error: primary expected \n"},
        {"0 ? 2 ? 3 : 4", "syntax error: : expected \n"},
        {"0 ? sqrt(4) : 1", "syntax error: function sqrt not found! \n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Outcome got = run(c.text);
        EXPECT_EQ(got.value, 0.0);
        EXPECT_EQ(got.reports, Reports{c.report});
    }
}

TEST_F(Arithmetic, SkippedBranchKeepsItsTraces)
{
    run("0 ? 7 : 8");
    std::vector<wxString> lines;
    for (const LogCapture::Record& line : log.records()) {
        EXPECT_EQ(line.level, wxLOG_Message);
        lines.push_back(line.text);
    }
    const std::vector<wxString> want = {
        "logical(false)", "shift(false)", "addition(false)", "term(false)", "prim(false)",
        "logical(true)",  "shift(true)",  "addition(true)",  "term(true)",  "prim(true)",
        "logical(true)",  "shift(true)",  "addition(true)",  "term(true)",  "prim(true)",
    };
    EXPECT_EQ(lines, want);
}
