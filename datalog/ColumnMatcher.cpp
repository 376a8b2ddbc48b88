#include "datalog/ColumnMatcher.h"

#include "datalog/ColumnAliases.h"
#include "definition/SymbolTable.h"

#include <wx/wxcrt.h>

ColumnMatcher::ColumnMatcher(const std::vector<DatalogColumn>& columns, const SymbolTable* table)
{
    for (size_t i = 0; i < columns.size(); ++i) {
        const int column = static_cast<int>(i);
        const std::wstring key = LooseKey(columns[i].name);
        const auto added = exact.emplace(columns[i].name.Lower().ToStdWstring(), column);
        if (!added.second) {
            added.first->second = kRepeated;
            if (!key.empty())
                loose[key] = kRepeated;
        } else if (!key.empty()) {
            loose.emplace(key, column);
        }
    }
    if (table)
        for (const DatalogEntry& entry : table->getDatalogEntries())
            labels[entry.a.Lower().ToStdWstring()].push_back(entry.b.Lower().ToStdWstring());
}

ColumnMatcher::Match ColumnMatcher::Find(const wxString& name) const
{
    const std::wstring lower = name.Lower().ToStdWstring();
    const auto entries = labels.find(lower);
    if (entries != labels.end()) {
        for (const std::wstring& label : entries->second) {
            const auto labelled = exact.find(label);
            if (labelled != exact.end() && labelled->second >= 0)
                return {labelled->second, Rule::DatalogEntry};
        }
    }
    const auto same = exact.find(lower);
    if (same != exact.end())
        return same->second >= 0 ? Match{same->second, Rule::Name} : Match{-1, Rule::Repeated};
    const std::wstring key = LooseKey(name);
    const auto alike = key.empty() ? loose.end() : loose.find(key);
    if (alike != loose.end())
        return alike->second >= 0 ? Match{alike->second, Rule::LooseName} : Match{-1, Rule::Repeated};
    for (const std::wstring& alias : ColumnAliasesOf(key)) {
        const auto aliased = loose.find(alias);
        if (aliased != loose.end() && aliased->second >= 0)
            return {aliased->second, Rule::Alias};
    }
    return {};
}

wxString ColumnMatcher::Describe(Rule rule)
{
    switch (rule) {
    case Rule::DatalogEntry:
        return "[Datalog] entry";
    case Rule::Name:
        return "name";
    case Rule::LooseName:
        return "name, blanks and punctuation ignored";
    case Rule::Alias:
        return "alias";
    case Rule::Repeated:
        return "the header repeats the name";
    case Rule::None:
        break;
    }
    return "no column";
}

std::wstring ColumnMatcher::LooseKey(const wxString& name)
{
    std::wstring key;
    for (wxUniChar c : name) {
        const wint_t w = static_cast<wint_t>(c.GetValue());
        if (wxIsalnum(w))
            key += static_cast<wchar_t>(wxTolower(w));
    }
    return key;
}
