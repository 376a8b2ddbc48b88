// Which parts of a block a fetch asks for: cut, ordered, merged.
#include "link/ByteRanges.h"

#include <gtest/gtest.h>

TEST(ByteRanges, MergedWhereAGapCostsLessThanARequest)
{
    const struct {
        const char* label;
        ByteRanges in;
        int32_t gap;
        ByteRanges want;
    } cases[] = {
        {"nothing", {}, 20, {}},
        {"ordered by offset", {{40, 2}, {4, 2}}, 0, {{4, 2}, {40, 2}}},
        {"overlapping", {{4, 4}, {6, 4}}, 0, {{4, 6}}},
        {"touching", {{4, 2}, {6, 1}}, 0, {{4, 3}}},
        {"one inside another", {{4, 10}, {6, 2}}, 0, {{4, 10}}},
        {"gap one short of the overhead", {{0, 2}, {21, 1}}, 20, {{0, 22}}},
        {"gap as large as the overhead", {{0, 2}, {22, 1}}, 20, {{0, 2}, {22, 1}}},
        {"cut at the start", {{-3, 5}}, 0, {{0, 2}}},
        {"cut at the end", {{128, 4}}, 0, {{128, 2}}},
        {"wholly past the end", {{130, 2}}, 0, {}},
        {"empty", {{10, 0}}, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(mergeRanges(c.in, 130, c.gap), c.want);
    }
}

TEST(ByteRanges, CoveredOnlyWhollyInsideOneRange)
{
    const ByteRanges ranges = {{4, 4}, {14, 2}};
    const struct {
        int32_t offset, count;
        bool want;
    } cases[] = {
        {4, 4, true}, {3, 1, false}, {7, 1, true}, {7, 2, false}, {8, 1, false},
        {14, 2, true}, {15, 2, false}, {0, 1, false}, {16, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.offset) + "+" + std::to_string(c.count));
        EXPECT_EQ(rangesCover(ranges, c.offset, c.count), c.want);
    }
    EXPECT_FALSE(rangesCover({}, 0, 1));
}
