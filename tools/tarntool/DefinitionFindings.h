#pragma once
// What `tarntool check` says about a loaded definition file beyond the
// parser's warnings: what it uses that the dashboard does not support, and
// every channel and gauge that depends on a constant without a value.
#include "definition/SymbolTable.h"


#include <string>
#include <vector>

struct Finding {
    // Changes what a gauge shows (a dropped entry, an expression that cannot
    // be computed, a missing lookup table...). Harmless findings (a setting
    // for #if the user did not set) do not.
    bool problem;
    std::string text; // one line, without the file name
};

std::vector<Finding> FindDefinitionProblems(const SymbolTable& table);

// A parser warning that changes nothing shown: an #if of a setting the user
// has not set (its lines are skipped, as the setting is off).
bool IsHarmlessWarning(const wxString& warning);
