#pragma once
// Raised by the definition file reader and its field readers; caught per line
// (or per entry) and recorded as a warning, so it never leaves a load.
#include <wx/string.h>

#include <cstdint>

class ParserException {
public:
    ParserException(const wxString& messageText, int32_t lineIndex)
        : message(messageText), line(lineIndex)
    {
    }
    virtual ~ParserException() = default;

    // "<message> in line :<0-based line index>", the form the warnings record.
    wxString text() const { return wxString::Format("%s in line :%d", message, line); }

    wxString message;
    int32_t line;
};
