// Constants decoded from the bytes of their pages, over the defaults, and
// what a page never read or a constant past its page leaves.
#include "ecu/PageDecoder.h"
#include "tests/definition/ParseHelpers.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using Numbers = std::map<std::string, double>;

Numbers Sorted(const ValueMap& values)
{
    Numbers sorted;
    for (const auto& entry : values)
        sorted[entry.first.utf8_string()] = entry.second;
    return sorted;
}

Parsed PagedFile()
{
    Parsed parsed = Parse(Lines({
        "[MegaTune]",
        "signature = \"paged\"",
        "[Constants]",
        "endianness = little",
        "nPages = 2",
        "pageSize = 8, 4",
        "page = 1",
        "rpmLimit = scalar, U16, 0, \"rpm\", 10, 0, 0, 20000, 0",
        "offsetTemp = scalar, S08, 2, \"C\", 1, -40, 0, 100, 0",
        "mode = bits, U08, 3, [4:6], \"a\", \"b\", \"c\", \"d\"",
        "gains = array, U08, 4, [2x2], \"\", 0.5, 0, 0, 100, 1",
        "page = 2",
        "ratio = scalar, F32, 0, \"\", 1, 0, 0, 10, 2",
        "beyond = scalar, U16, 3, \"\", 1, 0, 0, 10, 0",
        "[ConstantsExtensions]",
        "defaultValue = ratio, 14.7",
        "defaultValue = beyond, 5",
    }));
    parsed.table->resolveConstants();
    return parsed;
}

} // namespace

TEST(PageDecoder, ScalarsBitsArraysOverTheDefaults)
{
    const Parsed parsed = PagedFile();
    ASSERT_EQ(parsed.warnings, std::vector<std::string>{});
    // Page 1 only: 650 x 10, (-10 - 40) x 1, bits 4..6 of 0x5F, 2x2 halves.
    const std::vector<std::vector<unsigned char>> pages = {{0x8A, 0x02, 0xF6, 0x5F, 2, 4, 6, 8}, {}};
    const PageValues values = decodePages(*parsed.table, pages);
    EXPECT_EQ(Sorted(values.numbers),
              (Numbers{{"rpmLimit", 6500.0}, {"offsetTemp", -50.0}, {"mode", 5.0}}));
    ASSERT_EQ(values.arrays.count("gains"), 1u);
    EXPECT_EQ(values.arrays.at("gains"), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(values.pastPage, std::vector<wxString>{"beyond"});

    ConstantValues& constants = parsed.table->getConstantValues();
    applyPageValues(values, constants);
    parsed.table->constantsChanged();
    double number = 0;
    EXPECT_TRUE(constants.findNumber("rpmLimit", number));
    EXPECT_EQ(number, 6500.0);
    // Page 2 was never read: its default stays; the constant past it has none.
    EXPECT_TRUE(constants.findNumber("ratio", number));
    EXPECT_EQ(number, 14.7);
    EXPECT_FALSE(constants.findNumber("beyond", number));
    ASSERT_NE(constants.findArray("gains"), nullptr);
    EXPECT_EQ(constants.findArray("gains")->size(), 4u);
}

TEST(PageDecoder, ShortPageGivesNoValueForWhatLiesPastIt)
{
    const Parsed parsed = PagedFile();
    // A float in the file's byte order; a page shorter than declared leaves the rest unread.
    const std::vector<std::vector<unsigned char>> pages = {{0x10, 0x00}, {0x00, 0x00, 0xC0, 0x3F}};
    const PageValues values = decodePages(*parsed.table, pages);
    EXPECT_EQ(Sorted(values.numbers), (Numbers{{"rpmLimit", 160.0}, {"ratio", 1.5}}));
    EXPECT_TRUE(values.arrays.empty());
    EXPECT_EQ(values.pastPage, (std::vector<wxString>{"offsetTemp", "mode", "gains", "beyond"}));
}
