#include "definition/DefinitionFileKind.h"

#include <algorithm>

namespace {

// Enough of the start to tell text from other data.
const size_t kSniffBytes = 4096;

bool LooksUtf16(const std::string& start)
{
    if (start.size() >= 2) {
        const unsigned char a = start[0], b = start[1];
        if ((a == 0xFF && b == 0xFE) || (a == 0xFE && b == 0xFF))
            return true;
    }
    // ASCII in UTF-16: every other byte is zero.
    size_t evenZeros = 0, oddZeros = 0;
    for (size_t i = 0; i < start.size(); ++i)
        (i % 2 ? oddZeros : evenZeros) += start[i] == '\0';
    const size_t half = start.size() / 2;
    return half >= 4 && (evenZeros * 10 >= half * 9 || oddZeros * 10 >= half * 9);
}

bool LooksBinary(const std::string& start)
{
    const size_t control = static_cast<size_t>(std::count_if(start.begin(), start.end(), [](char c) {
        const unsigned char u = static_cast<unsigned char>(c);
        return u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f';
    }));
    return control > 0 && (start.find('\0') != std::string::npos || control * 20 > start.size());
}

bool HasSection(const std::string& bytes)
{
    size_t at = 0;
    while (at < bytes.size()) {
        const size_t text = bytes.find_first_not_of(" \t\r", at);
        if (text != std::string::npos && bytes[text] == '[')
            return true;
        const size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return false;
}

} // namespace

std::string NotADefinitionFile(const std::string& bytes)
{
    const std::string start = bytes.substr(0, kSniffBytes);
    if (LooksUtf16(start))
        return "UTF-16 text";
    if (LooksBinary(start))
        return "binary data";
    if (!HasSection(bytes))
        return "no [section] in it";
    return std::string();
}
