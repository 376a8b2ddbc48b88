#pragma once
// The replies of a scripted line taken from fuzz input: per command a header
// byte h and h bytes (h = 0xFF: the replies that follow are all frames of
// good CRC around the next h2 bytes, a shortcut to the checks past the CRC).
#include "link/EnvelopeFrame.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

struct ReplyScript {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    bool wrapInFrames = false;

    // The reply to one command.
    std::string answer()
    {
        if (pos >= size)
            return "";
        uint8_t h = data[pos++];
        if (h == 0xFF && pos < size) {
            wrapInFrames = true;
            h = data[pos++];
        }
        const size_t n = std::min<size_t>(h, size - pos);
        const std::string bytes(reinterpret_cast<const char*>(data + pos), n);
        pos += n;
        return wrapInFrames ? encodeFrame(bytes) : bytes;
    }
};
