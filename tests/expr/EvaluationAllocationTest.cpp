// The evaluator runs on every tick for every derived channel: reading the text
// must not allocate per character. The test kit counts every operator new.
#include "expr/Evaluation.h"
#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>
#include <wx/log.h>

#include <cstdio>

namespace {

wxString repeated(const char* head, const char* part, int times)
{
    wxString text(head);
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}

} // namespace

TEST(EvaluationAllocation, NoneGrowsWithTheLengthOfTheText)
{
    const bool wasLogging = wxLog::EnableLogging(false);
    Evaluation evaluation;
    ValueMap table;
    evaluation.setTable(&table);

    // Reports of errors may allocate, once per statement: a failing statement
    // here carries a long tail for the recovery to read instead.
    const struct {
        const char* head;
        const char* part;
        const char* tail;
    } shapes[] = {
        {"1", " + 1.5 * (2 - 0.5) / 3", ""},
        {"(1 << 2) > 3 ? 4", " + -2.25", " : 0"},
        {"1", ";2\n3 ? 4 : 5/0", ""}, // statements, a branch that is not chosen
        {"1", "234567890.", ""},     // one long number
        {"  ", "\t  \r ", "7"},
        {"$", " 1 + 2 * 3", ""},      // one report, then the recovery reads on
    };
    int index = 0;
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.part);
        const wxString shortText = repeated(shape.head, shape.part, 10) + shape.tail;
        const wxString longText = repeated(shape.head, shape.part, 5000) + shape.tail;
        evaluation.evaluate(longText); // the byte buffer reaches its size once
        const long forShort = CountAllocations([&] { evaluation.evaluate(shortText); });
        const long forLong = CountAllocations([&] { evaluation.evaluate(longText); });
        EXPECT_EQ(forLong, forShort);
        std::printf("[ allocations ] shape %d: %ld for 10 parts, %ld for 5000\n", index++, forShort,
                    forLong);
    }
    wxLog::EnableLogging(wasLogging);
}
