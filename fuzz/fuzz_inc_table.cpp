// Arbitrary bytes as an ".inc" lookup table, then looked up across and
// beyond its range.
#include "definition/IncTable.h"

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
    IncTable table;
    wxString error;
    const bool ok = table.parse(std::string(reinterpret_cast<const char*>(data), size), error);
    // A refusal always says why; an accepted table holds entries and
    // answers any x, outside its range and NaN included.
    if (!ok && error.empty())
        std::abort();
    if (ok && table.size() == 0)
        std::abort();
    volatile double sink = 0;
    if (ok)
        for (double x : {-1e300, -1.0, 0.0, 0.5, 1.0, 127.0, 255.0, 1e300, std::nan(""), double(size)})
            sink = table.lookup(x);
    (void)sink;
    return 0;
}
