#pragma once
// Finds the log column that serves a value name, by the first rule that finds
// one:
// 1. the definition file's [Datalog] entries: a column named (case ignored)
//    by a label the file gives the channel;
// 2. the column named the same, case ignored;
// 3. the first column whose name has the same letters and digits once blanks
//    and punctuation are dropped ("Batt V" serves "battV");
// 4. the same with the other names of the channel's alias group
//    (ColumnAliases: "CLT" serves "coolant").
// A name that the header gives to two columns serves nothing: which of them
// is meant cannot be told.
#include "datalog/Datalog.h"

#include <string>
#include <unordered_map>
#include <vector>

class SymbolTable;

class ColumnMatcher {
public:
    enum class Rule { None, DatalogEntry, Name, LooseName, Alias, Repeated };
    struct Match {
        int column = -1; // -1: no column
        Rule rule = Rule::None;
    };

    // `table` (may be null) gives the [Datalog] entries.
    explicit ColumnMatcher(const std::vector<DatalogColumn>& columns, const SymbolTable* table = nullptr);
    Match Find(const wxString& name) const;

    // For people: "[Datalog] entry", "alias", ...
    static wxString Describe(Rule rule);
    // The name as the loose match compares it: lower case, letters and digits only.
    static std::wstring LooseKey(const wxString& name);

private:
    static const int kRepeated = -2;
    std::unordered_map<std::wstring, int> exact; // lower-case name -> first column, or kRepeated
    std::unordered_map<std::wstring, int> loose;
    std::unordered_map<std::wstring, std::vector<std::wstring>> labels; // lower-case channel -> lower-case labels
};
