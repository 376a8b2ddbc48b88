#include "tools/tarn-ecu-sim/RuntimeBlock.h"

#include "definition/SymbolTable.h"
#include "tools/tarn-ecu-sim/ValueSource.h"

#include <cmath>
#include <cstring>
#include <utility>

namespace {

void TypeRange(const BlockChannel& channel, double& lo, double& hi)
{
    if (channel.isBitField()) {
        lo = 0;
        hi = std::ldexp(1.0, channel.bitHi - channel.bitLo + 1) - 1;
        return;
    }
    const int bits = 8 * (channel.size == 4 ? 4 : channel.size == 2 ? 2 : 1);
    if (channel.isSigned) {
        lo = -std::ldexp(1.0, bits - 1);
        hi = std::ldexp(1.0, bits - 1) - 1;
    } else {
        lo = 0;
        hi = std::ldexp(1.0, bits) - 1;
    }
}

bool FitsInside(const BlockChannel& channel, size_t length)
{
    if (channel.isBitField() &&
        (channel.bitHi < channel.bitLo || channel.bitHi >= 8 * channel.size || channel.bitHi > 31))
        return false;
    if (channel.isFloat && channel.size != 4)
        return false;
    return channel.offset >= 0 && (channel.size == 1 || channel.size == 2 || channel.size == 4) &&
           static_cast<size_t>(channel.offset) + static_cast<size_t>(channel.size) <= length;
}

// Byte i of the field, counted from its least significant byte, lies at this index.
size_t ByteAt(const BlockChannel& channel, int32_t i, ByteOrder order)
{
    const int32_t k = order == ByteOrder::Big ? channel.size - 1 - i : i;
    return static_cast<size_t>(channel.offset + k);
}

uint64_t LoadField(const std::string& block, const BlockChannel& channel, ByteOrder order)
{
    uint64_t bits = 0;
    for (int32_t i = channel.size - 1; i >= 0; --i)
        bits = bits << 8 | static_cast<unsigned char>(block[ByteAt(channel, i, order)]);
    return bits;
}

void PutField(std::string& block, const BlockChannel& channel, uint64_t bits, ByteOrder order)
{
    for (int32_t i = 0; i < channel.size; ++i)
        block[ByteAt(channel, i, order)] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

} // namespace

int64_t EncodeRaw(const BlockChannel& channel, double value)
{
    if (channel.scale == 0 || std::isnan(value))
        return 0;
    const double raw =
        value / channel.scale - channel.trans - (channel.isBitField() ? channel.bitOfs : 0);
    if (std::isnan(raw))
        return 0;
    double lo = 0;
    double hi = 0;
    TypeRange(channel, lo, hi);
    if (raw <= lo)
        return static_cast<int64_t>(lo);
    if (raw >= hi)
        return static_cast<int64_t>(hi);
    return std::llround(raw);
}

void StoreRaw(std::string& block, const BlockChannel& channel, int64_t raw, ByteOrder order)
{
    if (!FitsInside(channel, block.size()))
        return;
    // Two's complement falls out of taking the low bytes of the 64-bit value.
    uint64_t bits = static_cast<uint64_t>(raw);
    if (channel.isBitField()) {
        const int32_t width = channel.bitHi - channel.bitLo + 1;
        const uint64_t mask = ((uint64_t(1) << width) - 1) << channel.bitLo;
        bits = (LoadField(block, channel, order) & ~mask) | ((bits << channel.bitLo) & mask);
    }
    PutField(block, channel, bits, order);
}

void StoreValue(std::string& block, const BlockChannel& channel, double value, ByteOrder order)
{
    if (!channel.isFloat) {
        StoreRaw(block, channel, EncodeRaw(channel, value), order);
        return;
    }
    if (!FitsInside(channel, block.size()))
        return;
    double raw = channel.scale == 0 ? 0 : value / channel.scale - channel.trans;
    if (std::isnan(raw))
        raw = 0;
    const float single = static_cast<float>(raw);
    uint32_t bits = 0;
    std::memcpy(&bits, &single, sizeof bits);
    PutField(block, channel, bits, order);
}

BlockLayout LayoutFromTable(const SymbolTable& table, size_t length, size_t* skipped)
{
    BlockLayout layout;
    size_t beyond = 0;
    for (const auto& symbol : table.getAllSymbols()) {
        if (!symbol || symbol->Const || !symbol->isScalarChannel())
            continue;
        if (table.findSymbol(symbol->Name) != symbol.get())
            continue;
        BlockChannel channel;
        channel.name = symbol->Name;
        channel.offset = symbol->Offset;
        channel.size = symbol->SizeOf;
        channel.isSigned = symbol->Signed;
        channel.scale = symbol->Scale;
        channel.trans = symbol->Trans;
        channel.isFloat = symbol->Float;
        if (symbol->isBitField()) {
            channel.bitLo = symbol->BitLo;
            channel.bitHi = symbol->BitHi;
            channel.bitOfs = symbol->BitOfs;
        }
        if (!FitsInside(channel, length)) {
            ++beyond;
            continue;
        }
        layout.push_back(channel);
    }
    if (skipped)
        *skipped = beyond;
    return layout;
}

BlockLayout DefaultLayout(size_t length)
{
    // name, offset, size, signed, scale, trans
    const BlockChannel all[] = {
        {"rpm", 0, 2, false, 1.0, 0.0},        {"map", 2, 2, false, 0.1, 0.0},
        {"tps", 4, 2, false, 0.1, 0.0},        {"coolant", 6, 2, true, 0.1, 0.0},
        {"mat", 8, 2, true, 0.1, 0.0},         {"spark", 10, 2, true, 0.1, 0.0},
        {"dwell", 12, 2, false, 0.01, 0.0},    {"afr", 14, 2, false, 0.01, 0.0},
        {"lambda", 16, 2, false, 0.001, 0.0},  {"batt", 18, 2, false, 0.01, 0.0},
        {"speed", 20, 2, false, 0.1, 0.0},     {"pw", 22, 2, false, 0.001, 0.0},
        {"baro", 24, 2, false, 0.1, 0.0},      {"duty", 26, 1, false, 0.5, 0.0},
        {"gear", 27, 1, false, 1.0, 0.0},      {"secl", 28, 1, false, 1.0, 0.0},
        {"ego", 29, 1, false, 0.01, 0.0},
    };
    BlockLayout layout;
    for (const BlockChannel& channel : all)
        if (FitsInside(channel, length))
            layout.push_back(channel);
    return layout;
}

RuntimeBlock::RuntimeBlock(BlockLayout layout, size_t length, ValueSource& source,
                           ByteOrder order)
    : channels(std::move(layout)), blockLength(length), values(source), byteOrder(order)
{
    for (const BlockChannel& channel : channels)
        lowerNames.push_back(channel.name.Lower());
}

std::string RuntimeBlock::next()
{
    values.advance();
    std::string block(blockLength, '\0');
    for (bool bitFields : {false, true}) {
        for (size_t i = 0; i < channels.size(); ++i) {
            if (channels[i].isBitField() != bitFields)
                continue;
            double value = 0;
            if (!values.value(lowerNames[i], value))
                value = 0;
            StoreValue(block, channels[i], value, byteOrder);
        }
    }
    return block;
}
