#pragma once
// The names the tuning suites' logs give the common channels ("CLT" for the
// coolant temperature, "ignAdv" for the spark advance), grouped: a name finds
// a column named by any other name of its group.
#include <string>
#include <vector>

// The other names of `looseKey`'s group (as ColumnMatcher::LooseKey writes
// them); empty when it belongs to none.
std::vector<std::wstring> ColumnAliasesOf(const std::wstring& looseKey);
