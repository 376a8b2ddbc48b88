#pragma once
// How the pages of constants a definition file describes are read, worked
// out before anything is said on the line: per page its size, the command
// that reads a part of it (its identifier already in place of %2i), the
// command sent before it (pageActivate) and how many bytes one read asks for
// (blockingFactor, or the whole page when the command names no part).
#include "definition/LinkSettings.h"
#include "link/CommandString.h"

#include <cstdint>
#include <string>
#include <vector>

struct PageCommands {
    int32_t size = 0;
    CommandTemplate read;
    std::string activate; // empty: nothing is sent first
    int32_t part = 0;
};

struct PageSetup {
    std::vector<PageCommands> pages;
    std::string problem; // empty when every page can be read
};

// No pages and a problem when the file's page settings cannot be used.
PageSetup setUpPages(const LinkSettings& settings, uint8_t canId);
