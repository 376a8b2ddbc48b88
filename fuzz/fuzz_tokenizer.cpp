// Arbitrary bytes as one line of a definition file, decoded as the reader
// decodes lines (UTF-8 when valid, ISO-8859-1 otherwise).
#include "definition/LineReader.h"
#include "definition/LineTokenizer.h"

#include <wx/init.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static wxInitializer initializer;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const wxString line = LineReader::isValidUtf8(bytes)
                              ? wxString::FromUTF8Unchecked(bytes.data(), bytes.size())
                              : wxString(bytes.data(), wxConvISO8859_1, bytes.size());
    LineTokenizer tokens;
    const int n = tokens.tokenize(line);
    if (n != tokens.count())
        std::abort();
    size_t textLength = 0;
    for (int i = 0; i < n; ++i) {
        textLength += tokens.text(i).length();
        const TokenType type = tokens.type(i);
        if (type == TokenNone)
            std::abort();
        if (type != TokenNumber && tokens.number(i) != 0.0)
            std::abort();
        if (std::isnan(tokens.number(i)))
            std::abort();
        (void)tokens.integer(i); // must stay defined for any value
    }
    // Tokens only ever hold characters of the line (a "#" marker is one of them).
    if (textLength > line.length())
        std::abort();
    if (tokens.type(n) != TokenNone || !tokens.text(n).empty() || tokens.integer(n) != 0)
        std::abort();
    return 0;
}
