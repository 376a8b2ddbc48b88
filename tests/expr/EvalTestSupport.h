#pragma once
// Runs the evaluator over a table and sorts its log into traces and reports.
#include "expr/Evaluation.h"

#include <gtest/gtest.h>
#include <wx/log.h>

#include <limits>
#include <utility>
#include <vector>

class LevelLog : public wxLog {
public:
    LevelLog() { previous = wxLog::SetActiveTarget(this); }
    ~LevelLog() override { wxLog::SetActiveTarget(previous); }
    std::vector<std::pair<wxLogLevel, wxString>> lines;

protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo&) override
    {
        lines.emplace_back(level, msg);
    }

private:
    wxLog* previous = nullptr;
};

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
        log.lines.clear();
        Outcome outcome{evaluation.evaluate(text), {}};
        for (const auto& line : log.lines)
            if (!IsTrace(line.second))
                outcome.reports.push_back(line.second);
        return outcome;
    }
    bool inTable(const char* name) { return table.find(name) != table.end(); }

    static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    static constexpr double kInf = std::numeric_limits<double>::infinity();

    LevelLog log;
    ValueMap table;
    Evaluation evaluation;
};

using Reports = std::vector<wxString>;
