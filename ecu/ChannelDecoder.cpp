#include "ecu/ChannelDecoder.h"

#include "definition/Symbol.h"

#include <cstdint>
#include <cstring>

std::optional<double> decodeChannelRaw(const Symbol& symbol, const unsigned char* block,
                                       size_t length, ByteOrder order)
{
    const int32_t size = symbol.SizeOf;
    if (!block || symbol.Offset < 0 || (size != 1 && size != 2 && size != 4))
        return std::nullopt;
    if (static_cast<size_t>(symbol.Offset) + static_cast<size_t>(size) > length)
        return std::nullopt;
    const unsigned char* p = block + symbol.Offset;
    uint32_t u = 0;
    for (int32_t i = 0; i < size; ++i) {
        const int32_t at = order == ByteOrder::Big ? i : size - 1 - i;
        u = u << 8 | p[at];
    }
    if (symbol.Float) {
        if (size != 4)
            return std::nullopt;
        float f = 0;
        std::memcpy(&f, &u, sizeof f);
        return static_cast<double>(f);
    }
    if (symbol.isBitField()) {
        const int32_t lo = symbol.BitLo, hi = symbol.BitHi;
        if (lo < 0 || hi < lo || hi >= size * 8)
            return std::nullopt;
        const int32_t width = hi - lo + 1;
        const uint32_t mask = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1;
        return static_cast<double>((u >> lo) & mask) + symbol.BitOfs;
    }
    if (!symbol.Signed)
        return static_cast<double>(u);
    int64_t wide = u;
    if (u & (1u << (size * 8 - 1)))
        wide -= int64_t(1) << (size * 8);
    return static_cast<double>(wide);
}

std::optional<double> decodeChannel(const Symbol& symbol, const unsigned char* block,
                                    size_t length, ByteOrder order)
{
    const std::optional<double> raw = decodeChannelRaw(symbol, block, length, order);
    if (!raw || !symbol.hasScaling())
        return std::nullopt;
    return (*raw + symbol.Trans) * symbol.Scale;
}
