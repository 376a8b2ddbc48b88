#pragma once
// Runs the evaluator over a table and sorts its log into traces and reports.
#include "expr/Evaluation.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>
#include <wx/log.h>

#include <limits>
#include <utility>
#include <vector>

// The parse traces: one per grammar call, and one per name read.
inline bool IsTrace(const wxString& line)
{
    static const char* const levels[] = {"logical", "shift", "addition", "term", "prim"};
    for (const char* level : levels)
        if (line == wxString(level) + "(true)" || line == wxString(level) + "(false)")
            return true;
    return line.StartsWith("Evaluation::getName(): ");
}

struct Outcome {
    double value;
    std::vector<wxString> reports; // the log without traces
};

class EvaluationFixture : public ::testing::Test {
protected:
    void SetUp() override { evaluation.setTable(&table); }

    Outcome run(const wxString& text)
    {
        log.clear();
        Outcome outcome{evaluation.evaluate(text), {}};
        for (const LogCapture::Record& line : log.records())
            if (!IsTrace(line.text))
                outcome.reports.push_back(line.text);
        return outcome;
    }
    bool inTable(const char* name) { return table.find(name) != table.end(); }

    static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    static constexpr double kInf = std::numeric_limits<double>::infinity();

    LogCapture log;
    ValueMap table;
    Evaluation evaluation;
};

using Reports = std::vector<wxString>;
