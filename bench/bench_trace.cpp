// The debug log's cost per ECU tick: the sample definition file's output
// channels decoded and the five gauges' values read (an expression among
// them), as the ECU input does on each tick, with no fetch. With the trace
// on (the dashboard's default limit) and off (limit 0); "log_bytes_per_tick"
// is what one tick adds to the log.
#include "bench/BenchMain.h" // main()
#include "base/DebugLog.h"
#include "definition/IniParser.h"
#include "definition/SymbolTable.h"
#include "ecu/RTDataMgrSerial.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>
#include <wx/init.h>
#include <wx/log.h>

#include <sys/stat.h>

#include <memory>
#include <string>

namespace {

std::unique_ptr<SymbolTable> LoadSample()
{
    wxLogNull quiet;
    IniParser parser;
    parser.readAll(TARN_SAMPLE_DIR "/tarnv3.ini");
    return std::unique_ptr<SymbolTable>(parser.releaseTable());
}

long long FileSize(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

void RunTicks(benchmark::State& state, uint64_t limit)
{
    const TempDir folder;
    InitDebugLog(wxString(folder.path), limit);
    std::unique_ptr<SymbolTable> table = LoadSample();
    RTDataMgrSerial input(nullptr, table.get());
    ValueMap values;
    input.setValueMap(&values);
    const char* const gauges[] = {"rpm", "map", "spark", "lambda", "dwell"};
    const auto tick = [&] {
        for (const char* name : gauges)
            values[name] = 0.0;
        input.Update();
        benchmark::DoNotOptimize(values);
    };
    // What one tick adds to the fresh file (later ones rotate it).
    const std::string log = folder.file("filelog.txt");
    tick();
    FlushDebugLog();
    state.counters["log_bytes_per_tick"] = static_cast<double>(FileSize(log));
    for (auto _ : state)
        tick();
    InitDebugLog(wxString(folder.path), 0); // lets go of the files
}

void BM_EcuTick_TraceOn(benchmark::State& state)
{
    RunTicks(state, kDefaultDebugLogLimit);
}

void BM_EcuTick_TraceOff(benchmark::State& state)
{
    RunTicks(state, 0);
}

} // namespace

BENCHMARK(BM_EcuTick_TraceOn)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EcuTick_TraceOff)->Unit(benchmark::kMicrosecond);
