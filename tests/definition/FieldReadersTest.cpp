#include "definition/FieldReaders.h"

#include <gtest/gtest.h>

namespace {

// The message of the exception `read` throws, or "" when it throws none.
template <typename Read>
std::string ErrorOf(Read read)
{
    try {
        read();
    } catch (const ParserException& e) {
        EXPECT_EQ(e.line, 41);
        return e.message.utf8_string();
    }
    return std::string();
}

} // namespace

TEST(FieldReaders, TypeField)
{
    const struct {
        const char* text;
        const char* error;
        bool isSigned;
        int sizeOf;
    } cases[] = {
        {"U08", "", false, 1},
        {"S08", "", true, 1},
        {"U16", "", false, 2},
        {"S16", "", true, 2},
        {"U32", "", false, 4},
        {"S32", "", true, 4},
        {"xS16y", "", true, 2},    // not anchored
        {"US32", "", true, 4},     // "U3" is no type; "S32" is
        {"U0816", "", false, 1},   // the first place wins
        {"F32", "", true, 4},      // a float
        {"F32S16", "", true, 2},   // an integer type comes first
        {"U8", "Type field error!", false, 1},
        {"F64", "Type field error!", false, 1},
        {"u16", "Type field error!", false, 1},
        {"U 16", "Type field error!", false, 1},
        {"U64", "Type field error!", false, 1},
        {"", "Type field error!", false, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Symbol symbol;
        EXPECT_EQ(ErrorOf([&] { readTypeField(c.text, symbol, 41); }), c.error);
        EXPECT_EQ(symbol.Signed, c.isSigned);
        EXPECT_EQ(symbol.SizeOf, c.sizeOf);
        EXPECT_EQ(symbol.Float, std::string(c.text) == "F32");
    }
}

TEST(FieldReaders, ArrayShapeIsTheLongestMatch)
{
    const struct {
        const char* text;
        const char* error;
        bool xOrder;
        int order, shape0, shape1;
    } cases[] = {
        {"16x12", "", true, 2, 16, 12},
        {"12", "", true, 1, 12, 1},
        {"Y:8", "", false, 1, 8, 1},
        {"X:8x4", "", true, 2, 8, 4},
        {"Y: 16 x 12 ", "", false, 2, 16, 12},
        {" 8 x 8 ", "", true, 2, 8, 8},
        {"8X8", "", true, 1, 8, 1},      // upper-case X joins nothing
        {"12x", "", true, 1, 12, 1},     // no second size: the single one
        {"16x12 rows", "", true, 2, 16, 12},
        {"8\tx8", "", true, 1, 8, 1},    // only spaces are removed
        {"0x0", "", true, 2, 0, 0},
        {"2147483647", "", true, 1, 2147483647, 1},
        {"x8", "Array Shape error!", true, 0, 1, 1},
        {"Z:8", "Array Shape error!", true, 0, 1, 1},
        {"y:8", "Array Shape error!", true, 0, 1, 1},
        {"\t8", "Array Shape error!", true, 0, 1, 1},
        {"", "Array Shape error!", true, 0, 1, 1},
        {"2147483648", "Array size error!", true, 0, 1, 1},
        {"99999999999", "Array size error!", true, 0, 1, 1},
        {"99999999999x2", "Array size 1 error!", true, 0, 1, 1},
        {"2x99999999999", "Array size 2 error!", true, 0, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        Symbol symbol;
        EXPECT_EQ(ErrorOf([&] { readArrayShape(c.text, symbol, 41); }), c.error);
        EXPECT_EQ(symbol.xOrder, c.xOrder);
        EXPECT_EQ(symbol.order, c.order);
        EXPECT_EQ(symbol.shape[0], c.shape0);
        EXPECT_EQ(symbol.shape[1], c.shape1);
    }
}

TEST(FieldReaders, BitField)
{
    const struct {
        const char* field;
        const char* error;
        int lo, hi, ofs;
    } cases[] = {
        {"0:1", "", 0, 1, 0},
        {"2:3+1", "", 2, 3, 1},
        {"2:3+", "", 2, 3, 0},
        {"2:31", "", 2, 31, 0},    // without "+", every digit is the high bit
        {"4:7+255 rest", "", 4, 7, 255},
        {"0:1x", "", 0, 1, 0},
        {" 0:1", "BitField error!", -1, -1, 0},
        {"0-1", "BitField error!", -1, -1, 0},
        {":1", "BitField error!", -1, -1, 0},
        {"0:", "BitField error!", -1, -1, 0},
        {"", "BitField error!", -1, -1, 0},
        {"99999999999:1", "loBit value error!", -1, -1, 0},
        {"0:99999999999", "hiBit value error!", -1, -1, 0},
        {"0:1+99999999999", "offsBit value error!", -1, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        LineTokenizer tokens;
        tokens.tokenize(wxString("idle = bits, U08, 3, [") + c.field + "], \"off\", \"on\", auto");
        Symbol symbol;
        EXPECT_EQ(ErrorOf([&] { readBitField(tokens, symbol, 41); }), c.error);
        EXPECT_EQ(symbol.BitLo, c.lo);
        EXPECT_EQ(symbol.BitHi, c.hi);
        EXPECT_EQ(symbol.BitOfs, c.ofs);
        if (c.error[0] == '\0') {
            ASSERT_EQ(symbol.BitFields.size(), 3u);
            EXPECT_EQ(symbol.BitFields[0], "off");
            EXPECT_EQ(symbol.BitFields[1], "on");
            EXPECT_EQ(symbol.BitFields[2], "auto");
        } else {
            EXPECT_TRUE(symbol.BitFields.empty());
        }
    }
}

TEST(FieldReaders, BitFieldWithoutNames)
{
    LineTokenizer tokens;
    tokens.tokenize("flag = bits, U08, 0, [7:7]");
    Symbol symbol;
    readBitField(tokens, symbol, 0);
    EXPECT_EQ(symbol.BitLo, 7);
    EXPECT_TRUE(symbol.BitFields.empty());
}

TEST(FieldReaders, DigitsToInt32)
{
    const struct {
        const char* digits;
        bool ok;
        int32_t want;
    } cases[] = {
        {"0", true, 0},
        {"007", true, 7},
        {"2147483647", true, 2147483647},
        {"2147483648", false, 0},
        {"00000000000000000000001", true, 1},
        {"", false, 0},
        {"1a", false, 0},
        {"-1", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.digits);
        int32_t value = 0;
        EXPECT_EQ(digitsToInt32(c.digits, value), c.ok);
        EXPECT_EQ(value, c.want);
    }
}
