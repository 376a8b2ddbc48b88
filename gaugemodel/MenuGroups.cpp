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
