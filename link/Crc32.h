#pragma once
// The common CRC-32 (zlib, Ethernet): polynomial 0xEDB88320 reflected,
// initial value 0xFFFFFFFF, final XOR 0xFFFFFFFF. The CRC of "123456789" is
// 0xCBF43926.
#include <cstddef>
#include <cstdint>

uint32_t crc32(const unsigned char* bytes, size_t n);
