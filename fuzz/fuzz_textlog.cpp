// Arbitrary bytes as a text log, read both as the suites' format and as the
// dashboard's own, then replayed with every control. Text cells are validated
// numbers, so every value of a record must be finite; nothing may point past
// the records.
#include "datalog/DashboardLog.h"
#include "datalog/LogReplay.h"
#include "datalog/TextLog.h"

#include <wx/init.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const size_t kMaxChecked = 48;

void Check(const Datalog& log, bool valuesFinite)
{
    const size_t records = log.RecordCount();
    const size_t columns = std::min(log.Columns().size(), kMaxChecked);
    for (size_t r = 0; r < records; r += std::max<size_t>(1, records / kMaxChecked))
        for (size_t c = 0; c < columns; ++c)
            if (log.HasValues(r) && valuesFinite && !std::isfinite(log.Value(r, c)))
                std::abort();
    size_t previous = 0;
    for (const DatalogMarker& marker : log.Markers()) {
        if (marker.beforeRecord < previous || marker.beforeRecord > records)
            std::abort();
        previous = marker.beforeRecord;
    }
    if (log.Problems().size() > 21)
        std::abort();
}

void Replay(const Datalog& log, const uint8_t* data, size_t size)
{
    LogReplay replay(log);
    for (size_t i = 0; i < std::min<size_t>(size, 64); ++i) {
        switch (data[i] % 7) {
        case 0: replay.TogglePause(); break;
        case 1: replay.Faster(); break;
        case 2: replay.Slower(); break;
        case 3: replay.SeekBy(data[i] % 2 ? 10 : -10); break;
        case 4: replay.SeekToStart(); break;
        default: replay.Tick(data[i] / 10.0); break;
        }
        if (replay.HasRecord() && replay.GetRecord() >= log.RecordCount())
            std::abort();
        for (size_t marker : replay.GetPassedMarkers())
            if (marker >= log.Markers().size())
                std::abort();
        const double position = replay.GetPositionSeconds();
        if (!std::isfinite(position) || position < 0 || position > replay.GetTotalSeconds())
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static wxInitializer initializer;
    return initializer.IsOk() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const TextLog text(bytes, "fuzz.msl");
    Check(text, true);
    Replay(text, data, size);
    const DashboardLog own(bytes, "fuzz.log");
    Check(own, true);
    Replay(own, data, size);
    return 0;
}
