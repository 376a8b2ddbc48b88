#include "expr/ChannelHistory.h"
#include "expr/CompiledExpression.h"
#include "expr/Evaluation.h"

#include <gtest/gtest.h>
#include <wx/log.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>

namespace {

const double kNone = std::numeric_limits<double>::quiet_NaN();

// Names with values (NaN: known, no value), one table "t.inc" doubling x,
// one array "a", history of every name asked for by a history function.
class Scope : public ExpressionScope, public ExpressionSources {
public:
    std::map<wxString, double> names{{"rpm", 3000}, {"x", 0}, {"seconds", 300}, {"none", kNone}, {"big", 1e308}};
    std::vector<double> arrayA{10, 20, 30};
    std::map<int, ChannelHistory> histories;
    bool celsiusOn = true;
    double now = 12.5;

    int slotOf(const wxString& name, bool history) override
    {
        const auto it = names.find(name);
        if (it == names.end())
            return -1;
        const int slot = static_cast<int>(std::distance(names.begin(), it));
        if (history)
            histories[slot];
        return slot;
    }
    int tableOf(const wxString& file) override { return file == "t.inc" ? 0 : file == "unread.inc" ? 1 : -1; }
    int arrayOf(const wxString& name) override { return name == "a" ? 0 : -1; }

    double value(int slot) const override { return std::next(names.begin(), slot)->second; }
    double seconds() const override { return now; }
    bool celsius() const override { return celsiusOn; }
    std::optional<double> lookup(int table, double x) const override
    {
        return table == 0 ? std::optional<double>(2 * x) : std::nullopt;
    }
    const std::vector<double>* array(int id) const override { return id == 0 ? &arrayA : nullptr; }
    const ChannelHistory* history(int slot) const override
    {
        const auto it = histories.find(slot);
        return it == histories.end() ? nullptr : &it->second;
    }
};

struct Case {
    const char* text;
    double want;
};

std::optional<double> Compute(const std::string& text, Scope& scope)
{
    return CompiledExpression::compile(wxString::FromUTF8(text), scope).evaluate(scope);
}

void ExpectValues(const std::vector<Case>& cases)
{
    Scope scope;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<double> got = Compute(c.text, scope);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, c.want);
    }
}

} // namespace

TEST(CompiledExpression, OperatorsWithCPrecedence)
{
    ExpectValues({
        {"1 == 2", 0},          {"2 == 2", 1},           {"1 != 2", 1},          {"seconds % 256", 44},
        {"-7 % 3", -1},         {"7.9 % 3", 1},          {"1 + 2 * 3", 7},       {"10 - 4 - 3", 3},
        {"16 / 4 / 2", 2},      {"7 / 2", 3.5},          {"1 << 2 + 1", 8},      {"-16 >> 2", -4},
        {"1 < 2 == 1", 1},      {"2 <= 2", 1},           {"3 >= 4", 0},          {"3 > 2 > 1", 0},
        {"6 & 3", 2},           {"6 | 3", 7},            {"6 ^ 3", 5},           {"1 | 6 & 3", 3},
        {"1 ^ 3 | 4", 6},       {"2 && 3", 1},           {"0 || 0.5", 1},        {"1 || 0 && 0", 1},
        {"0 ? 1 : 2", 2},       {"1 ? 0 ? 3 : 4 : 5", 4}, {"0 ? 1 : 0 ? 2 : 3", 3}, {"(1 + 2) * 3", 9},
        {"!0", 1},              {"!5", 0},               {"~0", -1},             {"- -3", 3},
        {"+4", 4},              {"-2 * -2", 4},          {"!0 + 1", 2},          {"rpm > 2000 && x == 0", 1},
        {"1 ? 2 : 3 + 10", 2},  {"x || rpm", 1},         {"5 & 4 == 4", 1},      {"(5 & 4) == 4", 1},
    });
}

TEST(CompiledExpression, Literals)
{
    ExpectValues({
        {"0x10", 16}, {"0X1f", 31}, {"0b00100000", 32}, {"1e3", 1000}, {"1.0E-4", 1.0E-4},
        {".5", 0.5},  {"12", 12},   {"0.5", 0.5},      {"2.5e+1", 25}, {"0xFFFFFFFF", 4294967295.0},
    });
}

TEST(CompiledExpression, Functions)
{
    Scope scope;
    EXPECT_EQ(Compute("timeNow", scope), 12.5);
    EXPECT_EQ(Compute("tempCvt(212)", scope), 100);
    scope.celsiusOn = false;
    EXPECT_EQ(Compute("tempCvt(212)", scope), 212);
    EXPECT_EQ(Compute("table(rpm, \"t.inc\") - 40", scope), 5960);
    EXPECT_EQ(Compute("arrayValue(array.a, 2)", scope), 30);
    EXPECT_EQ(Compute("arrayValue(a, 1.9)", scope), 20);

    const CompiledExpression past = CompiledExpression::compile("pastValue(rpm, 2)", scope);
    const CompiledExpression largest = CompiledExpression::compile("maxValue(rpm)", scope);
    const CompiledExpression smallest = CompiledExpression::compile("minValue(rpm)", scope);
    const int slot = scope.slotOf("rpm", true);
    EXPECT_EQ(past.evaluate(scope), std::nullopt); // not that far back yet
    EXPECT_EQ(largest.evaluate(scope), 3000);      // the value now counts
    for (double rpm : {1000.0, kNone, 5000.0}) {
        scope.histories[slot].add(rpm);
    }
    EXPECT_EQ(past.evaluate(scope), std::nullopt); // that tick had no value
    scope.histories[slot].add(2000);
    EXPECT_EQ(past.evaluate(scope), 5000);
    EXPECT_EQ(largest.evaluate(scope), 5000);
    EXPECT_EQ(smallest.evaluate(scope), 1000);
    EXPECT_EQ(Compute("pastValue(rpm, 0)", scope), 3000);
}

TEST(CompiledExpression, NoValueRatherThanAWrongNumber)
{
    Scope scope;
    const char* const cases[] = {
        "1/0",           "5 % 0",          "x ? 1 : 1/x",  "unknownName + 1", "none * 0",
        "rpm + none",    "1 && none",      "arrayValue(array.a, 3)", "arrayValue(array.a, -1)",
        "arrayValue(array.b, 0)", "table(1, \"unread.inc\")", "table(1, \"other.inc\")", "1 << 64",
        "1 >> -1",       "big * 10",       "big * 10 - big * 10", "pastValue(rpm, 1)", "maxValue(none)",
    };
    for (const char* text : cases) {
        SCOPED_TRACE(text);
        const CompiledExpression compiled = CompiledExpression::compile(text, scope);
        EXPECT_TRUE(compiled.ok()) << compiled.error();
        EXPECT_EQ(compiled.evaluate(scope), std::nullopt);
    }
    // What is never reached cannot spoil the value.
    ExpectValues({{"0 && none", 0}, {"1 || 1/0", 1}, {"1 ? 2 : unknownName", 2}, {"0 ? 1/0 : 3", 3}});
}

TEST(CompiledExpression, CompileErrorsNameTheProblem)
{
    Scope scope;
    const struct {
        std::string text;
        const char* says;
    } cases[] = {
        {"", "empty"},
        {"1 +", "unexpected end of the text"},
        {"(1", "expected ')'"},
        {"1 2", "'2' at character 3"},
        {"0x", "malformed number"},
        {"12abc", "malformed number"},
        {"1.2.3", "malformed number"},
        {"\"x\"", "character 1 is no number"},
        {"foo(1)", "unknown function foo()"},
        {"stringValue(x)", "gives a text"},
        {"table(1, x)", "file name in quotes"},
        {"1 ? 2", "expected ':'"},
        {"a = 1", "unexpected '='"},
        {"1 # 2", "unexpected '#'"},
        {"\"open", "no closing quote"},
        {"0x1FFFFFFFFFFFFFFFF", "too large"},
        {std::string(10000, '(') + "1" + std::string(10000, ')'), "nested deeper than 100"},
        {std::string(10000, '-') + "1", "nested deeper than 100"},
        {std::string(10000, '!') + "1", "nested deeper than 100"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        const CompiledExpression compiled = CompiledExpression::compile(wxString::FromUTF8(c.text), scope);
        EXPECT_FALSE(compiled.ok());
        EXPECT_NE(compiled.error().Find(c.says), wxNOT_FOUND) << compiled.error();
        EXPECT_EQ(compiled.evaluate(scope), std::nullopt);
    }
    // Long but flat: no nesting, no deep operand stack.
    std::string sum = "1";
    for (int i = 0; i < 10000; ++i)
        sum += " + 1";
    EXPECT_EQ(Compute(sum, scope), 10001);
}

TEST(CompiledExpression, ReportsUnknownNamesAndInputs)
{
    Scope scope;
    const CompiledExpression compiled = CompiledExpression::compile("rpm + nope * rpm + maxValue(x) + gone", scope);
    ASSERT_TRUE(compiled.ok());
    EXPECT_EQ(compiled.unknownNames(), wxArrayString(std::vector<wxString>{"nope", "gone"}.size(),
                                                     std::vector<wxString>{"nope", "gone"}.data()));
    EXPECT_EQ(compiled.inputs(), (std::vector<int>{scope.slotOf("rpm", false), scope.slotOf("x", false)}));
}

// The built-in firmware's evaluator keeps its own rules, unlike the dialect.
TEST(CompiledExpression, BuiltInEvaluatorUnchanged)
{
    wxLogNull quiet;
    ValueMap values;
    values["seconds"] = 300;
    const Case cases[] = {{"1 == 2", 1}, {"2 > 1 ? 7 : 8", 7}, {"1/0", 0},
                          {"seconds - 44", 256}, {"seconds % 256", 0}, {"0x10", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Evaluation evaluation;
        evaluation.setTable(&values);
        EXPECT_EQ(evaluation.evaluate(c.text), c.want);
    }
}
