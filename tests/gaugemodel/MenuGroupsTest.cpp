#include "gaugemodel/MenuGroups.h"

#include <gtest/gtest.h>

TEST(MenuGroups, EveryGroupFitsAndAllItemsAreKeptInOrder)
{
    struct Case {
        int count, maxPerGroup;
        std::vector<int> sizes;
    } cases[] = {
        {45, 11, {9, 9, 9, 9, 9}}, // the sample file on a 240 x 320 screen
        {45, 28, {23, 22}},        {20, 20, {20}}, {21, 20, {11, 10}},
        {1, 20, {1}},              {0, 20, {}},    {3, 0, {1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " by " << c.maxPerGroup);
        const std::vector<MenuGroup> groups = SplitIntoMenuGroups(c.count, c.maxPerGroup);
        std::vector<int> sizes;
        int next = 0;
        for (const MenuGroup& g : groups) {
            EXPECT_EQ(g.first, next);
            next += g.count;
            sizes.push_back(g.count);
        }
        EXPECT_EQ(sizes, c.sizes);
    }
}

TEST(MenuGroups, RowsThatFitTheScreen)
{
    struct Case {
        int screen, row, rows;
    } cases[] = {{320, 26, 11}, {768, 26, 28}, {1080, 26, 40}, {20, 26, 1}, {320, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.screen);
        EXPECT_EQ(MenuRowsThatFit(c.screen, c.row), c.rows);
    }
}

TEST(MenuGroups, GroupByCategory)
{
    using Titles = std::vector<wxString>;
    auto titles = [](const std::vector<MenuSection>& sections) {
        Titles t;
        for (const MenuSection& s : sections)
            t.push_back(s.title);
        return t;
    };
    // Before the first category line; a category named again later joins the first.
    const std::vector<MenuSection> mixed =
        GroupByCategory({"", "Main", "Main", "PID", "Main", ""}, 10, "Other");
    EXPECT_EQ(titles(mixed), (Titles{"Other", "Main", "PID"}));
    EXPECT_EQ(mixed[0].items, (std::vector<int>{0, 5}));
    EXPECT_EQ(mixed[1].items, (std::vector<int>{1, 2, 4}));
    // Too many for one menu: parts.
    const std::vector<MenuSection> cut = GroupByCategory(std::vector<wxString>(5, "Trigger"), 2, "");
    EXPECT_EQ(titles(cut), (Titles{"Trigger (1/3)", "Trigger (2/3)", "Trigger (3/3)"}));
    EXPECT_EQ(cut[2].items, (std::vector<int>{4}));
    EXPECT_TRUE(GroupByCategory({"", ""}, 1, "Other").empty()) << "no category: split by count";
}
