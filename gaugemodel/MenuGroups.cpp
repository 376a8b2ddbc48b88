#include "gaugemodel/MenuGroups.h"

#include <algorithm>

int MenuRowsThatFit(int screenHeight, int rowHeight)
{
    if (rowHeight < 1)
        return 1;
    return std::max(1, screenHeight / rowHeight - 1);
}

std::vector<MenuGroup> SplitIntoMenuGroups(int count, int maxPerGroup)
{
    std::vector<MenuGroup> groups;
    if (count <= 0)
        return groups;
    maxPerGroup = std::max(1, maxPerGroup);
    const int n = (count + maxPerGroup - 1) / maxPerGroup;
    // The first `count % n` groups take one item more than the rest.
    int first = 0;
    for (int g = 0; g < n; ++g) {
        const int size = count / n + (g < count % n ? 1 : 0);
        groups.push_back(MenuGroup{first, size});
        first += size;
    }
    return groups;
}

std::vector<MenuSection> GroupByCategory(const std::vector<wxString>& categories, int maxPerGroup,
                                         const wxString& uncategorised)
{
    std::vector<MenuSection> whole;
    bool anyNamed = false;
    for (size_t i = 0; i < categories.size(); ++i) {
        const wxString title = categories[i].empty() ? uncategorised : categories[i];
        anyNamed |= !categories[i].empty();
        auto section = std::find_if(whole.begin(), whole.end(),
                                    [&](const MenuSection& s) { return s.title == title; });
        if (section == whole.end())
            section = whole.insert(whole.end(), MenuSection{title, {}});
        section->items.push_back(int(i));
    }
    if (!anyNamed)
        return {};
    std::vector<MenuSection> sections;
    for (const MenuSection& section : whole) {
        const std::vector<MenuGroup> parts =
            SplitIntoMenuGroups(int(section.items.size()), maxPerGroup);
        for (size_t p = 0; p < parts.size(); ++p) {
            MenuSection part;
            part.title = parts.size() == 1 ? section.title
                                           : wxString::Format("%s (%d/%d)", section.title,
                                                              int(p + 1), int(parts.size()));
            part.items.assign(section.items.begin() + parts[p].first,
                              section.items.begin() + parts[p].first + parts[p].count);
            sections.push_back(part);
        }
    }
    return sections;
}
