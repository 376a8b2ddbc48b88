#include "datalog/ColumnMatcher.h"

#include <wx/wxcrt.h>

ColumnMatcher::ColumnMatcher(const std::vector<DatalogColumn>& columns)
{
    for (size_t i = 0; i < columns.size(); ++i) {
        const int column = static_cast<int>(i);
        exact.emplace(columns[i].name.Lower().ToStdWstring(), column);
        const std::wstring key = LooseKey(columns[i].name);
        if (!key.empty())
            loose.emplace(key, column);
    }
}

ColumnMatcher::Match ColumnMatcher::Find(const wxString& name) const
{
    Match match;
    const auto same = exact.find(name.Lower().ToStdWstring());
    if (same != exact.end()) {
        match.column = same->second;
        return match;
    }
    const std::wstring key = LooseKey(name);
    const auto alike = key.empty() ? loose.end() : loose.find(key);
    if (alike != loose.end()) {
        match.column = alike->second;
        match.loose = true;
    }
    return match;
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
