#pragma once
// What a definition file's link settings come to before anything is said on
// the line: the bytes of the query, the runtime data command taken apart, and
// how many bytes one command asks for. Settings that cannot be used are
// refused here with the first reason, for people.
#include "definition/LinkSettings.h"
#include "link/CommandString.h"

#include <cstdint>
#include <string>

struct GenericLinkSetup {
    std::string queryBytes;
    CommandTemplate blockCommand;
    int32_t part = 0;    // the whole block, or a blockingFactor's worth
    std::string problem; // empty when the settings can be used
};

// `blockSize` is the runtime data block's size; `baud` the line speed chosen;
// `canId` the \$tsCanId byte.
GenericLinkSetup setUpGenericLink(const LinkSettings& settings, int32_t blockSize, int baud,
                                  uint8_t canId);
