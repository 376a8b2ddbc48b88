#pragma once
// The runtime data block the firmware sends for "A": each scalar output
// channel at its offset, in the file's byte order (big-endian unless told),
// holding raw = value / Scale - Trans (the dashboard decodes
// (raw + Trans) x Scale), rounded and clamped to the channel's type. Signed
// types are two's complement; F32 channels hold the IEEE 754 single; a bit
// field holds raw - BitOfs in its bits, the other bits of its field kept.
#include "definition/LinkSettings.h"

#include <wx/string.h>

#include <cstdint>
#include <string>
#include <vector>

class SymbolTable;
class ValueSource;

struct BlockChannel {
    wxString name;
    int32_t offset = 0;
    int32_t size = 1; // 1, 2 or 4 bytes
    bool isSigned = false;
    double scale = 1.0;
    double trans = 0.0;
    bool isFloat = false; // F32
    int32_t bitLo = -1;   // a bit field: bits lo..hi of the field, plus bitOfs
    int32_t bitHi = -1;
    int32_t bitOfs = 0;

    bool isBitField() const { return bitLo >= 0; }
};

// The raw integer for `value`, clamped to the type's range (for a bit field,
// to its bits). A value that is not a number, or a scale of 0, gives 0.
int64_t EncodeRaw(const BlockChannel& channel, double value);
// Writes `raw` at the channel's offset (a bit field into its bits only);
// nothing when the channel does not lie wholly inside `block`.
void StoreRaw(std::string& block, const BlockChannel& channel, int64_t raw,
              ByteOrder order = ByteOrder::Big);
// Encodes and stores `value` as the channel's type, F32 included.
void StoreValue(std::string& block, const BlockChannel& channel, double value, ByteOrder order);

using BlockLayout = std::vector<BlockChannel>;

// The scalar output channels of `table` that lie wholly inside a block of
// `length` bytes, in file order. Where a name is declared twice, the
// declaration the table keeps in its map wins, as it does for the dashboard.
// `skipped` receives the number of channels that lie beyond the block.
BlockLayout LayoutFromTable(const SymbolTable& table, size_t length, size_t* skipped = nullptr);
// The layout used without a definition file (see --help).
BlockLayout DefaultLayout(size_t length);

class RuntimeBlock {
public:
    RuntimeBlock(BlockLayout layout, size_t length, ValueSource& source,
                 ByteOrder order = ByteOrder::Big);
    // Advances the source one step and encodes its values. Channels the
    // source has no value for read 0. Bit fields go in after the whole
    // fields, so that a field and the bits declared over it agree.
    std::string next();
    const BlockLayout& layout() const { return channels; }
    size_t length() const { return blockLength; }

private:
    BlockLayout channels;
    std::vector<wxString> lowerNames;
    size_t blockLength;
    ValueSource& values;
    ByteOrder byteOrder;
};
