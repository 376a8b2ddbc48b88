// Arbitrary bytes as a datalog: construction, ticks with a few names in the
// map, and the lookups a gauge makes. Whatever the input, every name left in
// the map after a tick must be one the input claims to serve, with a finite
// value.
#include "datalog/RTDataMgrFile.h"

#include <wx/init.h>
#include <wx/log.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const size_t kMaxTicks = 64;

const wxString& Name(int i)
{
    static const wxString names[] = {"rpm", "RPM", "map", "Time", "", wxString::FromUTF8("t\xC3\xA9mp")};
    return names[i];
}
const int kNames = 6;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static wxInitializer initializer;
    static wxLogNull quiet; // the input traces every name it serves
    return initializer.IsOk() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto input = RTDataMgrFile::FromBytes(std::string(reinterpret_cast<const char*>(data), size));
    ValueMap values;
    input->setValueMap(&values);
    const size_t ticks = input->GetLog().RecordCount() + 1;
    for (size_t tick = 0; tick < kMaxTicks && tick < ticks; ++tick) {
        values.clear();
        for (int i = 0; i < kNames; ++i)
            values[Name(i)] = 0.0;
        input->Update();
        for (const auto& entry : values) {
            if (!input->HasValue(entry.first) || !std::isfinite(entry.second))
                std::abort();
            if (input->GetValue(entry.first) != entry.second)
                std::abort();
        }
    }
    for (int i = 0; i < kNames; ++i)
        if (!input->HasValue(Name(i)) && input->GetValue(Name(i)) != -1.0)
            std::abort();
    return 0;
}
