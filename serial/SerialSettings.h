#pragma once
// Line settings of a serial device, as the device layer keeps them.
#include <cstdint>

struct SerialSettings {
    int32_t baud = 19200;
    uint8_t parity = 0; // 0 none, 1 odd, 2 even; anything else means none
    uint8_t dataBits = 8;
    uint8_t stopBits = 1; // 1 or 2
    bool rtsCts = false;
    bool xonXoff = false;
};
