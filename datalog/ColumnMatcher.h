#pragma once
// Finds the log column that serves a value name. First the column named the
// same regardless of case (the first of several); failing that, the first
// column whose name has the same letters and digits once blanks and
// punctuation are dropped ("Batt V" serves "battV", "fuel: pulse" serves
// "fuelPulse").
#include "datalog/Datalog.h"

#include <string>
#include <unordered_map>

class ColumnMatcher {
public:
    struct Match {
        int column = -1;    // -1: no column
        bool loose = false; // found only with blanks and punctuation dropped
    };

    explicit ColumnMatcher(const std::vector<DatalogColumn>& columns);
    Match Find(const wxString& name) const;

    // The name as the loose match compares it: lower case, letters and digits only.
    static std::wstring LooseKey(const wxString& name);

private:
    std::unordered_map<std::wstring, int> exact; // lower-case name -> first column
    std::unordered_map<std::wstring, int> loose;
};
