#pragma once
// One output channel's value from a runtime data block: the field at the
// symbol's offset, of its type (U08 S08 U16 S16 U32 S32 F32), in the file's
// byte order; for a bit field the bits lo..hi shifted down plus the bit
// offset. The value is (raw + Trans) x Scale; none while the symbol's scale
// or translate is an expression that did not compute. A field that does not
// lie wholly inside the block's `length` bytes has no value: nothing is read
// past it.
#include "definition/LinkSettings.h"

#include <cstddef>
#include <optional>

class Symbol;

std::optional<double> decodeChannelRaw(const Symbol& symbol, const unsigned char* block,
                                       size_t length, ByteOrder order);
std::optional<double> decodeChannel(const Symbol& symbol, const unsigned char* block,
                                    size_t length, ByteOrder order);
