// Arbitrary bytes as a definition file's command string, in both byte
// orders and with offsets and counts of every size.
#include "link/CommandString.h"

#include <wx/init.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static wxInitializer initializer;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5)
        return 0;
    CommandParameters parameters;
    parameters.order = data[0] & 1 ? ByteOrder::Little : ByteOrder::Big;
    parameters.offset = static_cast<uint32_t>(data[1]) << 9 | data[2];
    parameters.count = static_cast<uint32_t>(data[3]) << 9 | data[4];
    const wxString text = wxString::From8BitData(reinterpret_cast<const char*>(data + 5), size - 5);
    std::string bytes;
    wxString error;
    const bool ok = parseCommandString(text, parameters, bytes, error);
    // A refusal always says why; an accepted text never grows beyond two
    // bytes for each character it holds.
    if (!ok && error.empty())
        std::abort();
    if (ok && bytes.size() > 2 * text.length())
        std::abort();
    return 0;
}
