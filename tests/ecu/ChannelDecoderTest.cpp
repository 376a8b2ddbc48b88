#include "definition/Symbol.h"
#include "ecu/ChannelDecoder.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

namespace {

Symbol Field(int offset, int size, bool isSigned, bool isFloat = false, int bitLo = -1,
             int bitHi = -1, int bitOfs = 0)
{
    Symbol s;
    s.setIdentity("f", "", false, 0, offset);
    s.setType(isSigned, size);
    s.Float = isFloat;
    if (bitLo >= 0)
        s.setBits(bitLo, bitHi, bitOfs, wxArrayString());
    return s;
}

} // namespace

TEST(ChannelDecoder, TypesOrdersBitsAndBounds)
{
    // 1.5f is 0x3FC00000.
    const std::vector<unsigned char> block = {0x83, 0x03, 0xFF, 0xFE, 0x3F, 0xC0, 0x00, 0x00,
                                              0x00, 0x00, 0xC0, 0x3F, 0x80, 0x00, 0x00, 0x01};
    const double none = std::nan("");
    const struct {
        const char* label;
        Symbol symbol;
        ByteOrder order;
        double want;
    } cases[] = {
        {"U08", Field(0, 1, false), ByteOrder::Big, 0x83},
        {"S08", Field(0, 1, true), ByteOrder::Little, -125},
        {"U16 big", Field(0, 2, false), ByteOrder::Big, 0x8303},
        {"U16 little: 830 rpm, not 15875", Field(0, 2, false), ByteOrder::Little, 0x0383},
        {"S16 big", Field(2, 2, true), ByteOrder::Big, -2},
        {"S16 little", Field(2, 2, true), ByteOrder::Little, -257},
        {"U32 big", Field(12, 4, false), ByteOrder::Big, 2147483649.0},
        {"S32 big", Field(12, 4, true), ByteOrder::Big, -2147483647.0},
        {"S32 little", Field(12, 4, true), ByteOrder::Little, 0x01000080},
        {"F32 big", Field(4, 4, true, true), ByteOrder::Big, 1.5},
        {"F32 little", Field(8, 4, true, true), ByteOrder::Little, 1.5},
        {"bits 0:1", Field(1, 1, false, false, 0, 1), ByteOrder::Big, 3},
        {"bits 2:7 shifted down", Field(0, 1, false, false, 2, 7), ByteOrder::Big, 0x20},
        {"bits with offset", Field(1, 1, false, false, 1, 1, 1), ByteOrder::Big, 2},
        {"bit 31 of U32 little", Field(12, 4, false, false, 31, 31), ByteOrder::Little, 0},
        {"bit 31 of U32 big", Field(12, 4, false, false, 31, 31), ByteOrder::Big, 1},
        {"bit beyond the field", Field(0, 1, false, false, 3, 8), ByteOrder::Big, none},
        {"last byte", Field(15, 1, false), ByteOrder::Big, 1},
        {"crosses the end", Field(15, 2, false), ByteOrder::Big, none},
        {"past the end", Field(16, 1, false), ByteOrder::Big, none},
        {"no offset", Field(-1, 1, false), ByteOrder::Big, none},
        {"odd width", Field(0, 3, false), ByteOrder::Big, none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::optional<double> raw =
            decodeChannelRaw(c.symbol, block.data(), block.size(), c.order);
        if (std::isnan(c.want))
            EXPECT_FALSE(raw.has_value());
        else
            EXPECT_EQ(raw.value_or(none), c.want);
    }
    Symbol scaled = Field(0, 1, false);
    scaled.setScaling(0.5, -40, 0, 0, 0);
    EXPECT_EQ(decodeChannel(scaled, block.data(), block.size(), ByteOrder::Big), (0x83 - 40) * 0.5);
    // A scale or translate that did not compute: no value, never a made-up one.
    Symbol unknownScale = scaled, unknownTrans = scaled;
    unknownScale.Scale = none;
    unknownTrans.Trans = none;
    for (const Symbol* unknown : {&unknownScale, &unknownTrans})
        EXPECT_FALSE(decodeChannel(*unknown, block.data(), block.size(), ByteOrder::Big).has_value());
}

TEST(ChannelDecoder, EdgesOfTheBuiltInFirmwaresBlock)
{
    // Big-endian, 76 bytes: the extremes of each type and the block's end.
    const double none = std::nan("");
    const struct {
        const char* label;
        std::vector<unsigned char> bytes; // placed at the field's offset
        Symbol symbol;
        double want;
    } cases[] = {
        {"U08 top", {0xFF}, Field(3, 1, false), 255},
        {"S08 lowest", {0x80}, Field(3, 1, true), -128},
        {"S08 highest", {0x7F}, Field(3, 1, true), 127},
        {"U16 is 256 x first + second", {0x12, 0x34}, Field(6, 2, false), 4660},
        {"S16 lowest", {0x80, 0x00}, Field(6, 2, true), -32768},
        {"S16 highest", {0x7F, 0xFF}, Field(6, 2, true), 32767},
        {"U32 top", {0xFF, 0xFF, 0xFF, 0xFF}, Field(8, 4, false), 4294967295.0},
        {"S32 lowest", {0x80, 0, 0, 0}, Field(8, 4, true), -2147483648.0},
        {"last byte", {0x42}, Field(75, 1, false), 0x42},
        {"last four bytes", {1, 2, 3, 4}, Field(72, 4, false), 0x01020304},
        {"four bytes across the end", {1, 2, 3}, Field(73, 4, false), none},
        {"beyond the block", {}, Field(76, 1, false), none},
        {"far beyond", {}, Field(INT_MAX, 4, false), none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<unsigned char> block(76, 0);
        for (size_t i = 0; i < c.bytes.size(); ++i)
            block.at(static_cast<size_t>(c.symbol.Offset) + i) = c.bytes[i];
        const std::optional<double> raw =
            decodeChannelRaw(c.symbol, block.data(), block.size(), ByteOrder::Big);
        if (std::isnan(c.want))
            EXPECT_FALSE(raw.has_value());
        else
            EXPECT_EQ(raw.value_or(none), c.want);
    }
}
