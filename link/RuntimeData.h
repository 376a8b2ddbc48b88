#pragma once
// The runtime data block: the ECU's record of live engine values, one buffer
// for the whole process. The protocol reads the ECU's reply into it; the
// decoding reads raw values from it. Multi-byte values are big-endian.
#include <cstddef>

// The expected reply length can grow to 74 and a read asks for 2 bytes more.
constexpr size_t kRuntimeDataCapacity = 76;

extern unsigned char g_runtimeData[kRuntimeDataCapacity];

// Replaces the block's contents with `n` bytes (at most the capacity; the
// rest of the block becomes zero). For reading a recorded or typed-in block.
void loadRuntimeData(const unsigned char* bytes, size_t n);
