// Variables from the owner's table, and calls of registered functions.
#include "tests/expr/EvalTestSupport.h"

#include <memory>

namespace {

const wxString kDivide = "attempt to divide by zero \n";

wxString syntax(const char* text)
{
    return wxString("syntax error: ") + text + " \n";
}

wxString notFound(const char* name)
{
    return wxString("Evaluation::prim() variable not found in hash table!!! ") + name;
}

struct Call {
    std::vector<double> numbers;
    std::vector<wxString> strings;
    bool operator==(const Call& o) const { return numbers == o.numbers && strings == o.strings; }
};

// Sums its numbers and records what each call was handed.
class Recorder : public EvalFunction {
public:
    Recorder(std::vector<Call>* log, int* copies, bool fail = false)
        : calls(log), clones(copies), failing(fail)
    {
    }
    double compute() override
    {
        calls->push_back({numbers, strings});
        if (failing)
            throw Error::ZeroDivide();
        double sum = 0;
        for (double n : numbers)
            sum += n;
        return sum;
    }
    std::unique_ptr<EvalFunction> clone() const override
    {
        ++*clones;
        return std::make_unique<Recorder>(calls, clones, failing);
    }

private:
    std::vector<Call>* calls;
    int* clones;
    bool failing;
};

class Variables : public EvaluationFixture {};

class Functions : public EvaluationFixture {
protected:
    void SetUp() override
    {
        EvaluationFixture::SetUp();
        evaluation.registerFunction("sum", std::make_unique<Recorder>(&calls, &clones));
        evaluation.registerFunction("fail", std::make_unique<Recorder>(&calls, &clones, true));
    }
    std::vector<Call> calls;
    int clones = 0;
};

} // namespace

TEST_F(Variables, KnownNamesReadTheirValue)
{
    table["rpm"] = 3000;
    table["map_2"] = 3;
    table["a1b2"] = -1.5;
    table["RPM"] = 7;
    const struct {
        const char* text;
        double want;
    } cases[] = {
        {"rpm / 2", 1500}, {"map_2 * 2", 6}, {"a1b2 + 1", -0.5}, {"RPM", 7}, {"rpm > 2999", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Outcome got = run(c.text);
        EXPECT_EQ(got.value, c.want);
        EXPECT_EQ(got.reports, Reports{});
        EXPECT_EQ(table.size(), 4u);
    }
}

TEST_F(Variables, MissingNameIsEnteredAsZero)
{
    table["RPM"] = 7;
    Outcome got = run("rpm + 1"); // names are case-sensitive
    EXPECT_EQ(got.value, 1);
    EXPECT_EQ(got.reports, Reports{notFound("rpm")});
    ASSERT_TRUE(inTable("rpm"));
    EXPECT_EQ(table["rpm"], 0.0);
    EXPECT_EQ(table["RPM"], 7);

    got = run("rpm + 1"); // entered now: no second report
    EXPECT_EQ(got.value, 1);
    EXPECT_EQ(got.reports, Reports{});
}

TEST_F(Variables, AssignmentGivesTheValueAndLeavesTheTable)
{
    const struct {
        const char* text;
        double want;
        Reports reports;
    } cases[] = {
        {"x = 5", 5, {}},
        {"x = y = 2", 2, {}},
        {"(x = 4) + 1", 5, {}},
        {"x = 1 ? 8 : 9", 8, {}},
        {"x = 1/0", 0, {kDivide}},
        {"z = 5", 5, {notFound("z")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        table.clear();
        table["x"] = 3;
        table["y"] = 1;
        const Outcome got = run(c.text);
        EXPECT_EQ(got.value, c.want);
        EXPECT_EQ(got.reports, c.reports);
        EXPECT_EQ(table["x"], 3);
        EXPECT_EQ(table["y"], 1);
    }
    EXPECT_EQ(table["z"], 0.0); // entered as any missing name is
}

TEST_F(Variables, WithoutTable)
{
    evaluation.setTable(nullptr);
    const struct {
        const char* text;
        double want;
        Reports reports;
    } cases[] = {
        {"x", 0, {syntax("table is not set!)")}},
        {"1 + x", 0, {syntax("table is not set!)")}},
        {"2;x", 2, {syntax("table is not set!)")}},
        {"0 ? x : 5", 0, {syntax("table is not set!)")}},
        {"5 * 2", 10, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Outcome got = run(c.text);
        EXPECT_EQ(got.value, c.want);
        EXPECT_EQ(got.reports, c.reports);
    }
}

TEST_F(Functions, ArgumentsReachAFreshCopy)
{
    const struct {
        const char* text;
        double want;
        std::vector<Call> calls;
    } cases[] = {
        {"sum(1, 2, 3)", 6, {{{1, 2, 3}, {}}}},
        {"sum()", 0, {{{}, {}}}},
        {"sum(\"rpm\", 2)", 2, {{{2}, {"rpm"}}}},
        {"sum(1 ? 2 : 3, 4)", 6, {{{2, 4}, {}}}},
        {"sum(1) + sum(2)", 3, {{{1}, {}}, {{2}, {}}}}, // no argument of the first call left over
        {"sum(sum(1,2), 3)", 6, {{{1, 2}, {}}, {{3, 3}, {}}}},
        {"sum(1)*2+1", 3, {{{1}, {}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        calls.clear();
        clones = 0;
        const Outcome got = run(c.text);
        EXPECT_EQ(got.value, c.want);
        EXPECT_EQ(got.reports, Reports{});
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(clones, static_cast<int>(c.calls.size()));
    }
}

TEST_F(Functions, MalformedCallsComputeNothing)
{
    const struct {
        const char* text;
        Reports reports;
    } cases[] = {
        {"sum(1 2)", {syntax(") expected")}},
        {"sum(1", {syntax(") expected")}},
        {"sum(1,", {syntax("primary expected")}},
        {"sum(,1)", {syntax("primary expected")}},
        {"sum(1,)", {syntax("primary expected")}},
        {"sum(\"abc)", {" \" expected!", syntax(") expected")}},
        {"nosuch(1)", {syntax("function nosuch not found!")}},
        {"0 ? sum(1) : 2", {}}, // not chosen: never called
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        calls.clear();
        run(c.text);
        const Outcome got = run(c.text);
        EXPECT_EQ(got.reports, c.reports);
        EXPECT_TRUE(calls.empty());
    }
}

TEST_F(Functions, ErrorsRaisedByAFunctionAreReported)
{
    Outcome got = run("fail(1)");
    EXPECT_EQ(got.value, 0);
    EXPECT_EQ(got.reports, Reports{kDivide});
    got = run("fail(1);3");
    EXPECT_EQ(got.value, 3);
}

TEST_F(Functions, RegisteringNullRemovesTheName)
{
    evaluation.registerFunction("sum", nullptr);
    EXPECT_EQ(run("sum(1)").reports, Reports{syntax("function sum not found!")});
}
