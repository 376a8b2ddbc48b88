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
