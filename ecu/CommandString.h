#pragma once
// The bytes of a command string of a definition file ("r\$tsCanId\x30%2o%2c").
// Escapes: \xHH (two hex digits) is one byte, \\ a backslash, \$tsCanId the
// CAN id byte. Placeholders: %o and %c are the offset and count of the part
// wanted in one byte, %2o and %2c in two bytes of the file's byte order, %%
// a percent sign. Any other character is itself (one byte; at most U+00FF).
// Anything else after "\" or "%" is refused with a message saying what and
// where.
#include "definition/LinkSettings.h"

#include <wx/string.h>

#include <cstdint>
#include <string>

struct CommandParameters {
    uint32_t offset = 0;
    uint32_t count = 0;
    uint8_t canId = 0;
    ByteOrder order = ByteOrder::Big;
};

// False with `error` set (and `bytes` unspecified) when the text is refused.
bool parseCommandString(const wxString& text, const CommandParameters& parameters,
                        std::string& bytes, wxString& error);
