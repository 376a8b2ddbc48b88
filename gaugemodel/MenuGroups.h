#pragma once
// How a long list of menu items is split so that every menu fits the screen:
// toolkits that cannot break a menu into columns (GTK) make a menu taller than
// the screen scroll, which on a 240 x 320 screen hides most of it.
#include <wx/string.h>

#include <vector>

// Consecutive items [first, first + count) of one group.
struct MenuGroup {
    int first = 0;
    int count = 0;
};

// Menu rows of `rowHeight` pixels that fit a screen `screenHeight` pixels high,
// one row's height kept free for the menu's own margins; at least 1.
int MenuRowsThatFit(int screenHeight, int rowHeight);

// `count` items in consecutive groups of at most `maxPerGroup`, as even in size
// as possible: one group when they all fit, none for no items. A group limit
// below 1 counts as 1.
std::vector<MenuGroup> SplitIntoMenuGroups(int count, int maxPerGroup);

// Items of one category, in list order: a menu of its own.
struct MenuSection {
    wxString title;
    std::vector<int> items; // positions in the whole list
};

// The items grouped by their category (`categories[i]` is item i's; an empty
// one reads as `uncategorised`), categories in order of first appearance. A
// category with more than `maxPerGroup` items is cut into parts titled
// "name (1/2)", "name (2/2)". Empty when no item has a category: the caller
// splits by count then.
std::vector<MenuSection> GroupByCategory(const std::vector<wxString>& categories, int maxPerGroup,
                                         const wxString& uncategorised);
