#pragma once
// The values of one runtime data block as a tick of the ECU input computes
// them: every scalar output channel decoded in the file's byte order, every
// expression channel evaluated over them, with the file's constants and
// functions. For tools and measurements that hold a block of their own.
#include "base/ValueMap.h"
#include "expr/Evaluation.h"

#include <cstddef>
#include <optional>
#include <vector>

class Symbol;
class SymbolTable;

class BlockDecoder {
public:
    // `table` must outlive the decoder.
    explicit BlockDecoder(const SymbolTable& table);
    BlockDecoder(const BlockDecoder&) = delete;
    BlockDecoder& operator=(const BlockDecoder&) = delete;

    // Decodes every scalar output channel from `length` bytes at `block`.
    void decode(const unsigned char* block, size_t length);
    // An output channel's value after decode(); none for a name that is no
    // output channel, an array, or a channel outside the block.
    std::optional<double> value(const wxString& name);

private:
    const SymbolTable& m_table;
    std::vector<const Symbol*> m_channels;
    ValueMap m_values;
    Evaluation m_evaluation;
};
