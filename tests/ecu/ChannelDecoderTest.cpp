#include "definition/Symbol.h"
#include "ecu/ChannelDecoder.h"
#include "ecu/RTDataMgrSerial.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
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
}

TEST(ChannelDecoder, BigEndianIntegersAsBefore)
{
    // The built-in firmware's values must not change: compare with the
    // decoding the ECU input has always used, over random blocks.
    std::mt19937 random(15);
    std::vector<unsigned char> block(76);
    for (int round = 0; round < 200; ++round) {
        for (unsigned char& b : block)
            b = static_cast<unsigned char>(random());
        const int offset = static_cast<int>(random() % 80);
        for (int size : {1, 2, 4})
            for (bool isSigned : {false, true}) {
                const Symbol s = Field(offset, size, isSigned);
                const double before = static_cast<double>(RTDataMgrSerial::rawValue(
                    block.data(), block.size(), offset, size, isSigned));
                EXPECT_EQ(decodeChannelRaw(s, block.data(), block.size(), ByteOrder::Big).value_or(0),
                          before)
                    << offset << " " << size << " " << isSigned;
            }
    }
}
