// Statements, error reports and the recovery after them.
#include "tests/expr/EvalTestSupport.h"

#include <string>

namespace {

struct Case {
    wxString text;
    double want;
    Reports reports;
};

const wxString kDivide = "attempt to divide by zero \n";

wxString syntax(const char* text)
{
    return wxString("syntax error: ") + text + " \n";
}

class Statements : public EvaluationFixture {
protected:
    void expectAll(const std::vector<Case>& cases)
    {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.text);
            const Outcome got = run(c.text);
            EXPECT_EQ(got.value, c.want);
            EXPECT_EQ(got.reports, c.reports);
        }
    }
};

} // namespace

TEST_F(Statements, LastCompletedStatementIsTheResult)
{
    expectAll({
        {"1;2", 2, {}},
        {"2 3", 2, {}}, // the stray 3 is dropped at the end of the text
        {"2 3;5", 5, {}},
        {"1;", 1, {}},
        {"1;;2", 2, {}},
        {";", 0, {}},
        {"1\n2", 2, {}},    // nothing of the next line is lost
        {"12\n34", 34, {}},
        {"1\r\n2", 2, {}},
        {"\n\n3\n", 3, {}},
        {wxString("1\0 2", 4), 2, {}}, // NUL ends a statement
    });
}

TEST_F(Statements, EachErrorText)
{
    expectAll({
        {"(1+2", 0, {syntax(") expected")}},
        {"$", 0, {syntax("bad token")}},
        {"sqrt(4)", 0, {syntax("function sqrt not found!")}},
        {"8/0", 0, {kDivide}},
        {"8/-0", 0, {kDivide}},
        {"0/0", 0, {kDivide}},
        {"8/(1-1)", 0, {kDivide}},
        {"1 ? 2", 0, {syntax(": expected")}},
        {"1 ? 2 3", 0, {syntax(": expected")}},
        {"1+", 0, {syntax("primary expected")}},
        {"*2", 0, {syntax("primary expected")}},
        {")", 0, {syntax("primary expected")}},
        {"\"word\"", 0, {syntax("primary expected")}},
        {"1 <= 2", 0, {syntax("primary expected")}},
        {"1 == 1", 1, {syntax("primary expected")}}, // 1 completed; "= 1" did not
    });
}

TEST_F(Statements, BadTokens)
{
    // A character that starts no token ends the statement even as look-ahead.
    for (const char* text : {"_x", "!1", "&", "|", "%", "[1]", "{", "1 % 2", "2 @", "\x7f"}) {
        SCOPED_TRACE(text);
        const Outcome got = run(text);
        EXPECT_EQ(got.value, 0);
        EXPECT_EQ(got.reports, Reports{syntax("bad token")});
    }
    for (const wchar_t* text : {L"\u00e9", L"1 + \u00b0", L"\u20ac5"}) {
        SCOPED_TRACE(wxString(text).utf8_str().data());
        EXPECT_EQ(run(text).reports, Reports{syntax("bad token")});
    }
}

TEST_F(Statements, EmptyTextLogsNothing)
{
    for (const char* text : {"", "   ", "\n", "\t\r\n"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(run(text).value, 0);
        EXPECT_TRUE(log.records().empty());
    }
}

TEST_F(Statements, UnterminatedString)
{
    const Outcome got = run("\"abc");
    EXPECT_EQ(got.reports, (Reports{" \" expected!", syntax("primary expected")}));
    bool atErrorLevel = false;
    for (const LogCapture::Record& line : log.records())
        if (line.text == " \" expected!")
            atErrorLevel = line.level == wxLOG_Error;
    EXPECT_TRUE(atErrorLevel);
}

TEST_F(Statements, RecoveryGoesOnWithTheNextStatement)
{
    expectAll({
        {"1;$", 1, {syntax("bad token")}},
        {"5;1/0", 5, {kDivide}},
        {"$ 1; 4", 4, {syntax("bad token")}},
        {"1 % 2;3", 3, {syntax("bad token")}},
        {"$x\n6", 6, {syntax("bad token")}},
        // The failing token was the statement's own end: the next statement stays.
        {"1/0;5", 5, {kDivide}},
        {"1/0\n6", 6, {kDivide}},
        {"(1+2;7", 7, {syntax(") expected")}},
        {"1+;2", 2, {syntax("primary expected")}},
        {"8/0;1/0;9", 9, {kDivide, kDivide}},
    });
}

TEST_F(Statements, NestingIsBoundedInLevels)
{
    const wxString tooDeep =
        "Evaluation: expression nested deeper than 400 levels; the statement is dropped";
    const auto brackets = [](int n) {
        return std::string(n, '(') + "1" + std::string(n, ')');
    };
    const std::string opens(100000, '(');
    std::string questions;
    for (int i = 0; i < 50000; ++i)
        questions += "1?";
    // Each construct is one level, whatever the number of calls it takes.
    std::string assignments;
    for (int i = 0; i < 400; ++i)
        assignments += "x=";
    expectAll({
        {opens, 0, {tooDeep}},
        {std::string(100000, '-') + "1", 0, {tooDeep}},
        {questions, 0, {tooDeep}},
        {opens + ";7", 7, {tooDeep}},
        {brackets(400), 1, {}},
        {brackets(401), 0, {tooDeep}},
        {std::string(400, '-') + "1", 1, {}},
        {std::string(401, '-') + "1", 0, {tooDeep}},
        {"(" + std::string(399, '-') + "1)", -1, {}},
        {"((1))", 1, {}}, // nothing left over from the failures above
    });
    table["x"] = 2;
    EXPECT_EQ(run(assignments + "3").reports, Reports{});
    EXPECT_EQ(run(assignments + "x=3").reports, Reports{tooDeep});
    run(brackets(401));
    EXPECT_TRUE(evaluation.hitNestingLimit());
    ASSERT_FALSE(log.records().empty());
    EXPECT_EQ(log.records().back().level, wxLOG_Warning);
    run(brackets(400));
    EXPECT_FALSE(evaluation.hitNestingLimit());
}

TEST_F(Statements, NothingCarriesOverToTheNextText)
{
    run("(1");
    EXPECT_EQ(run("2").value, 2);
    run("0 ? (");
    // A failure inside a branch that was not chosen must not leave the
    // evaluator skipping: y is read for real here.
    const Outcome got = run("y + 3");
    EXPECT_EQ(got.value, 3);
    EXPECT_TRUE(inTable("y"));
    run("8/0 ?");
    EXPECT_EQ(run("4/2").value, 2);
}
