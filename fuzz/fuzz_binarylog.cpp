// Arbitrary bytes as a binary log, then replayed with every control. A
// refused log has nothing; the blocks read and the bytes left over never add
// up to more than the file; no value read may reach past the file.
#include "datalog/BinaryLog.h"
#include "datalog/LogReplay.h"

#include <wx/init.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static wxInitializer initializer;
    return initializer.IsOk() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const BinaryLog log(bytes, "fuzz.mlg");
    const size_t records = log.RecordCount();
    if (!log.GetRefusal().empty() && (records > 0 || !log.Columns().empty()))
        std::abort();
    if (log.GetLeftoverBytes() > size || records * 5 > size)
        std::abort();
    const size_t step = std::max<size_t>(1, records / 32);
    for (size_t r = 0; r < records; r += step)
        for (size_t c = 0; c < log.Columns().size(); ++c) {
            volatile double value = log.Value(r, c); // sanitizers watch the reads
            (void)value;
        }
    for (const DatalogMarker& marker : log.Markers())
        if (marker.beforeRecord > records)
            std::abort();
    LogReplay replay(log);
    for (size_t i = 0; i < std::min<size_t>(size, 48); ++i) {
        if (data[i] % 5 == 0)
            replay.SeekBy(data[i] % 2 ? 10 : -10);
        else
            replay.Tick(data[i] / 8.0);
        if (replay.HasRecord() && replay.GetRecord() >= records)
            std::abort();
    }
    return 0;
}
