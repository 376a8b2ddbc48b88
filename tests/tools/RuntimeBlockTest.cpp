#include "tools/tarn-ecu-sim/RuntimeBlock.h"

#include "definition/IniParser.h"
#include "ecu/ChannelDecoder.h"
#include "tools/tarn-ecu-sim/ValueSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <memory>

namespace {

BlockChannel Channel(int32_t size, bool isSigned, double scale = 1, double trans = 0, int32_t offset = 0)
{
    BlockChannel channel;
    channel.name = "x";
    channel.offset = offset;
    channel.size = size;
    channel.isSigned = isSigned;
    channel.scale = scale;
    channel.trans = trans;
    return channel;
}

std::string bytes4(int a, int b, int c, int d)
{
    return {static_cast<char>(a), static_cast<char>(b), static_cast<char>(c), static_cast<char>(d)};
}

class FixedValues : public ValueSource {
public:
    void advance() override { ++advances; }
    bool value(const wxString& lowerName, double& out) const override
    {
        auto it = values.find(lowerName);
        if (it == values.end())
            return false;
        out = it->second;
        return true;
    }
    std::map<wxString, double> values;
    int advances = 0;
};

} // namespace

TEST(RuntimeBlockEncoding, RawIsValueOverScaleMinusTransRoundedAndClamped)
{
    struct Case {
        const char* label;
        BlockChannel channel;
        double value;
        int64_t want;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        // The decoder's example: raw 200 with Trans -40 and Scale 0.5 is 80.0.
        {"translated and scaled", Channel(1, false, 0.5, -40), 80.0, 200},
        {"rounds half away from zero", Channel(1, false, 0.5), 1.25, 3},
        {"rounds down below the half", Channel(2, false, 0.1), 0.14, 1},
        {"U08 top", Channel(1, false), 255, 255},
        {"U08 above the top", Channel(1, false), 256, 255},
        {"U08 bottom", Channel(1, false), 0, 0},
        {"U08 below the bottom", Channel(1, false), -1, 0},
        {"S08 top", Channel(1, true), 127, 127},
        {"S08 above the top", Channel(1, true), 128, 127},
        {"S08 bottom", Channel(1, true), -128, -128},
        {"S08 below the bottom", Channel(1, true), -129, -128},
        {"U16 above the top", Channel(2, false), 65536, 65535},
        {"S16 bottom", Channel(2, true), -32768, -32768},
        {"S16 below the bottom", Channel(2, true), -32769, -32768},
        {"U32 top", Channel(4, false), 4294967295.0, 4294967295LL},
        {"U32 above the top", Channel(4, false), 1e12, 4294967295LL},
        {"S32 bottom", Channel(4, true), -2147483648.0, -2147483648LL},
        {"S32 below the bottom", Channel(4, true), -1e12, -2147483648LL},
        {"infinity clamps high", Channel(2, true), inf, 32767},
        {"minus infinity clamps low", Channel(2, true), -inf, -32768},
        {"not a number is 0", Channel(2, true, 1, -40), nan, 0},
        {"scale 0 is 0", Channel(2, false, 0, 5), 12, 0},
        {"negative scale", Channel(1, true, -0.5), 10, -20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(EncodeRaw(c.channel, c.value), c.want);
    }
}

TEST(RuntimeBlockEncoding, StoresBigEndianTwosComplementInsideTheBlockOnly)
{
    struct Case {
        const char* label;
        BlockChannel channel;
        int64_t raw;
        std::string want; // 6-byte block afterwards
    };
    const Case cases[] = {
        {"U16 at offset 1", Channel(2, false, 1, 0, 1), 0x1234, std::string("\0\x12\x34\0\0\0", 6)},
        {"S08 -1", Channel(1, true, 1, 0, 0), -1, std::string("\xff\0\0\0\0\0", 6)},
        {"S16 -2", Channel(2, true, 1, 0, 4), -2, std::string("\0\0\0\0\xff\xfe", 6)},
        {"S32 -150", Channel(4, true, 1, 0, 2), -150, std::string("\0\0\xff\xff\xff\x6a", 6)},
        {"U32 at the very end", Channel(4, false, 1, 0, 2), 0x01020304,
         std::string("\0\0\x01\x02\x03\x04", 6)},
        {"one byte past the end", Channel(2, false, 1, 0, 5), 0xFFFF, std::string(6, '\0')},
        {"far past the end", Channel(4, false, 1, 0, 1000), 0xFFFF, std::string(6, '\0')},
        {"negative offset", Channel(1, false, 1, 0, -1), 0xFF, std::string(6, '\0')},
        {"size 3 is no type", Channel(3, false, 1, 0, 0), 0xFFFFFF, std::string(6, '\0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string block(6, '\0');
        StoreRaw(block, c.channel, c.raw);
        EXPECT_EQ(block, c.want);
    }
}

TEST(RuntimeBlockLayout, TakesScalarOutputChannelsThatFitAndTheWinningDuplicate)
{
    int result = -1;
    std::unique_ptr<SymbolTable> table(
        loadDefinitionFileFrom(TARN_TEST_DATA_DIR "/tools/fixtures/sim.ini", nullptr, &result));
    ASSERT_EQ(result, 0);

    struct Case {
        size_t length;
        std::vector<const char*> names;
        std::vector<int32_t> offsets;
        size_t skipped;
    };
    const Case cases[] = {
        // The constant, the expression and the first "afr" never come in.
        {56, {"rpm", "coolant", "spark", "vacuum", "counter", "trim", "afr"}, {0, 2, 3, 4, 6, 10, 15}, 1},
        {62, {"rpm", "coolant", "spark", "vacuum", "counter", "trim", "beyond", "afr"},
         {0, 2, 3, 4, 6, 10, 60, 15}, 0},
        {13, {"rpm", "coolant", "spark", "vacuum", "counter"}, {0, 2, 3, 4, 6}, 3},
        {1, {}, {}, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        size_t skipped = 99;
        const BlockLayout layout = LayoutFromTable(*table, c.length, &skipped);
        ASSERT_EQ(layout.size(), c.names.size());
        for (size_t i = 0; i < layout.size(); ++i) {
            EXPECT_EQ(layout[i].name, c.names[i]);
            EXPECT_EQ(layout[i].offset, c.offsets[i]);
        }
        EXPECT_EQ(skipped, c.skipped);
    }
    const BlockLayout layout = LayoutFromTable(*table, 56);
    EXPECT_TRUE(layout[2].isSigned);   // spark S08
    EXPECT_EQ(layout[5].size, 4);      // trim S32
    EXPECT_DOUBLE_EQ(layout[1].trans, -40.0);
}

TEST(RuntimeBlockLayout, DefaultLayoutStaysInsideTheBlockWithoutOverlaps)
{
    for (size_t length : {1u, 2u, 17u, 30u, 56u}) {
        SCOPED_TRACE(length);
        const BlockLayout layout = DefaultLayout(length);
        std::vector<int> owner(length, -1);
        for (size_t i = 0; i < layout.size(); ++i) {
            ASSERT_LE(static_cast<size_t>(layout[i].offset + layout[i].size), length);
            for (int32_t b = 0; b < layout[i].size; ++b) {
                EXPECT_EQ(owner[static_cast<size_t>(layout[i].offset + b)], -1) << layout[i].name;
                owner[static_cast<size_t>(layout[i].offset + b)] = static_cast<int>(i);
            }
        }
    }
    EXPECT_EQ(DefaultLayout(56).size(), 17u);
    EXPECT_EQ(DefaultLayout(1).size(), 0u);
}

TEST(RuntimeBlockFill, EachBlockAdvancesTheSourceAndMissingValuesReadZero)
{
    FixedValues values;
    values.values["rpm"] = 3000;
    values.values["coolant"] = 90; // name in the layout: "Coolant"
    BlockLayout layout = {Channel(2, false, 1, 0, 0), Channel(1, false, 0.5, -40, 2),
                          Channel(1, true, 1, 0, 3)};
    layout[0].name = "rpm";
    layout[1].name = "Coolant";
    layout[2].name = "unknown";
    RuntimeBlock block(layout, 5, values);
    EXPECT_EQ(block.next(), std::string("\x0b\xb8\xdc\0\0", 5)); // 3000; 180 + 40 = 220
    EXPECT_EQ(values.advances, 1);
    values.values["rpm"] = 70000;
    EXPECT_EQ(block.next(), std::string("\xff\xff\xdc\0\0", 5));
    EXPECT_EQ(values.advances, 2);
}

TEST(RuntimeBlockEncoding, WhatTheDashboardDecodesInEitherByteOrder)
{
    // Each channel is stored into a block of 0x5A bytes and read back with
    // the dashboard's own decoder; a bit field keeps the bits around it.
    struct Case {
        const char* label;
        const char* type; // U16 S16 F32 BITS
        ByteOrder order;
        double scale, trans;
        double value;
        std::string want; // 4-byte block afterwards
        double decoded;
    };
    const Case cases[] = {
        {"U16 little-endian", "U16", ByteOrder::Little, 1, 0, 830, bytes4(0x3E, 0x03, 0x5A, 0x5A), 830},
        {"U16 big-endian", "U16", ByteOrder::Big, 1, 0, 830, bytes4(0x03, 0x3E, 0x5A, 0x5A), 830},
        {"S16 little-endian, scaled", "S16", ByteOrder::Little, 0.1, 0, -2.5, bytes4(0xE7, 0xFF, 0x5A, 0x5A), -2.5},
        {"F32 little-endian", "F32", ByteOrder::Little, 1, 0, 1.5, bytes4(0x00, 0x00, 0xC0, 0x3F), 1.5},
        {"F32 big-endian, scaled", "F32", ByteOrder::Big, 0.5, 0, 3.0, bytes4(0x40, 0xC0, 0x00, 0x00), 3.0},
        {"bits 2..4", "BITS", ByteOrder::Big, 1, 0, 5, bytes4(0x56, 0x5A, 0x5A, 0x5A), 5},
        {"bits 2..4 clamp at the field's top", "BITS", ByteOrder::Big, 1, 0, 9, bytes4(0x5E, 0x5A, 0x5A, 0x5A), 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        BlockChannel channel = Channel(2, std::string(c.type) == "S16", c.scale, c.trans);
        Symbol symbol;
        symbol.setIdentity("x", "", false, 0, 0);
        symbol.setType(channel.isSigned, 2);
        symbol.setScaling(c.scale, c.trans, 0, 0, 0);
        if (std::string(c.type) == "F32") {
            channel.size = 4;
            channel.isFloat = true;
            symbol.setType(false, 4);
            symbol.Float = true;
        } else if (std::string(c.type) == "BITS") {
            channel.size = 1;
            channel.bitLo = 2;
            channel.bitHi = 4;
            symbol.setType(false, 1);
            symbol.setBits(2, 4, 0, wxArrayString());
        }
        std::string block(4, '\x5A');
        StoreValue(block, channel, c.value, c.order);
        EXPECT_EQ(block, c.want);
        const auto* raw = reinterpret_cast<const unsigned char*>(block.data());
        const std::optional<double> back = decodeChannel(symbol, raw, block.size(), c.order);
        ASSERT_TRUE(back.has_value());
        EXPECT_DOUBLE_EQ(*back, c.decoded);
    }
}
