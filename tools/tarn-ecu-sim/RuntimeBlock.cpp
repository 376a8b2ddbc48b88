#include "tools/tarn-ecu-sim/RuntimeBlock.h"

#include "definition/SymbolTable.h"
#include "tools/tarn-ecu-sim/ValueSource.h"

#include <cmath>
#include <utility>

namespace {

void TypeRange(const BlockChannel& channel, double& lo, double& hi)
{
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
    return channel.offset >= 0 && (channel.size == 1 || channel.size == 2 || channel.size == 4) &&
           static_cast<size_t>(channel.offset) + static_cast<size_t>(channel.size) <= length;
}

} // namespace

int64_t EncodeRaw(const BlockChannel& channel, double value)
{
    if (channel.scale == 0 || std::isnan(value))
        return 0;
    const double raw = value / channel.scale - channel.trans;
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

void StoreRaw(std::string& block, const BlockChannel& channel, int64_t raw)
{
    if (!FitsInside(channel, block.size()))
        return;
    // Two's complement falls out of taking the low bytes of the 64-bit value.
    const uint64_t bits = static_cast<uint64_t>(raw);
    for (int32_t i = 0; i < channel.size; ++i) {
        const int shift = 8 * (channel.size - 1 - i);
        block[static_cast<size_t>(channel.offset + i)] = static_cast<char>((bits >> shift) & 0xFF);
    }
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

RuntimeBlock::RuntimeBlock(BlockLayout layout, size_t length, ValueSource& source)
    : channels(std::move(layout)), blockLength(length), values(source)
{
    for (const BlockChannel& channel : channels)
        lowerNames.push_back(channel.name.Lower());
}

std::string RuntimeBlock::next()
{
    values.advance();
    std::string block(blockLength, '\0');
    for (size_t i = 0; i < channels.size(); ++i) {
        double value = 0;
        if (!values.value(lowerNames[i], value))
            value = 0;
        StoreRaw(block, channels[i], EncodeRaw(channels[i], value));
    }
    return block;
}
