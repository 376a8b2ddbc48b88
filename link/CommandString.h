#pragma once
// The bytes of a command string of a definition file ("r\$tsCanId\x30%2o%2c").
// Escapes: \xHH (two hex digits) is one byte, \\ a backslash, \$tsCanId the
// CAN id byte. Placeholders: %o and %c are the offset and count of the part
// wanted in one byte, %2o and %2c in two bytes of the file's byte order, %%
// a percent sign. In a page's commands %i and %2i stand for the page's
// identifier, its bytes as written (one or two of them). Any other character is itself (one byte; at most U+00FF).
// Anything else after "\" or "%" is refused with a message saying what and
// where.
#include "definition/LinkSettings.h"

#include <wx/string.h>

#include <cstdint>
#include <string>
#include <vector>

struct CommandParameters {
    uint32_t offset = 0;
    uint32_t count = 0;
    uint8_t canId = 0;
    ByteOrder order = ByteOrder::Big;
};

// A command string taken apart: fixed bytes and the places where the offset
// and count of a part go. The simulator matches commands against it.
struct CommandPiece {
    enum Kind { Bytes, Offset, Count };
    Kind kind = Bytes;
    std::string bytes;   // Bytes
    int width = 1;       // Offset, Count: 1 or 2 bytes
    size_t position = 0; // where the placeholder stands in the text (from 0)
};

struct CommandTemplate {
    std::vector<CommandPiece> pieces;
    // True when the command names the part it asks for (%o, %c).
    bool asksForPart() const;
    // Bytes of the command once filled in.
    size_t length() const;
};

// False with `error` set (and `command` unspecified) when the text is refused.
// `pageIdentifier`: the bytes of %i / %2i; without it they are refused.
bool parseCommandTemplate(const wxString& text, uint8_t canId, CommandTemplate& command,
                          wxString& error, const std::string* pageIdentifier = nullptr);
// The command's bytes for one part; false with `error` when the offset or
// count does not fit its placeholder.
bool fillCommand(const CommandTemplate& command, uint32_t offset, uint32_t count,
                 ByteOrder order, std::string& bytes, wxString& error);

// Both steps at once. False with `error` set (and `bytes` unspecified) when
// the text is refused.
bool parseCommandString(const wxString& text, const CommandParameters& parameters,
                        std::string& bytes, wxString& error);
