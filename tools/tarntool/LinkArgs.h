#pragma once
// The options of every command that opens a link to the ECU: --baud N (the
// line speed of another firmware's link, default 115200) and --quiet-ms N
// (the least quiet window that ends a reply without a check byte, default
// 20). A command lists kLinkOptions among its valued options and reads them
// with LinkOptionsOf.
#include "tools/tarntool/Command.h"

#include "link/GenericLink.h"

#include <string>
#include <vector>

extern const std::vector<std::string> kLinkOptions; // "baud", "quiet-ms"

// False with `error` (a usage message) when a value cannot be used.
bool LinkOptionsOf(const ParsedArgs& parsed, GenericLinkOptions& options, std::string& error);
