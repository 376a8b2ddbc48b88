#pragma once
// The runtime data block the firmware sends for "A": each scalar output
// channel at its offset, big-endian, holding raw = value / Scale - Trans
// (the dashboard decodes (raw + Trans) x Scale), rounded and clamped to the
// channel's type. Signed types are two's complement.
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
};

// The raw integer for `value`, clamped to the type's range. A value that is
// not a number, or a scale of 0, gives 0.
int64_t EncodeRaw(const BlockChannel& channel, double value);
// Writes `raw` big-endian at the channel's offset; nothing when the channel
// does not lie wholly inside `block`.
void StoreRaw(std::string& block, const BlockChannel& channel, int64_t raw);

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
    RuntimeBlock(BlockLayout layout, size_t length, ValueSource& source);
    // Advances the source one step and encodes its values. Channels the
    // source has no value for read 0.
    std::string next();
    const BlockLayout& layout() const { return channels; }
    size_t length() const { return blockLength; }

private:
    BlockLayout channels;
    std::vector<wxString> lowerNames;
    size_t blockLength;
    ValueSource& values;
};
