// Datalog replay on a 100 MB recording: how long until the input is ready,
// what one tick costs, and how much memory the whole file takes.
//
//   bench_datalog                          the benchmarks (writes a temporary log)
//   bench_datalog --write-datalog=PATH     only write the 100 MB log to PATH
//   bench_datalog --ready-once=PATH        construct once, tick 10 times and print
//                                          the ready time and peak resident memory
#include "datalog/RTDataMgrFile.h"

#include <benchmark/benchmark.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

const int kColumns = 40;
const long long kTargetBytes = 100LL * 1000 * 1000;
const char* const kNames[] = {"c0", "C7", "c19", "c39", "missing"};

// Title, header c0..c39, then records of short numbers (about 100 bytes a
// line, so about a million lines) until the file holds 100 MB.
bool WriteDatalog(const std::string& path)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::string chunk = "benchmark datalog\n";
    for (int c = 0; c < kColumns; ++c)
        chunk += (c ? "\t" : "") + std::string("c") + std::to_string(c);
    chunk += "\n";
    long long written = 0;
    char field[32];
    for (long long r = 0; written + static_cast<long long>(chunk.size()) < kTargetBytes; ++r) {
        std::snprintf(field, sizeof field, "%lld.%lld", r / 10, r % 10);
        chunk += field;
        for (int c = 1; c < kColumns; ++c) {
            std::snprintf(field, sizeof field, "\t%lld", (r * 31 + c * 17) % (c < 8 ? 1000 : c < 20 ? 100 : 10));
            chunk += field;
        }
        chunk += "\n";
        if (chunk.size() > (1u << 20)) {
            written += static_cast<long long>(std::fwrite(chunk.data(), 1, chunk.size(), out));
            chunk.clear();
        }
    }
    written += static_cast<long long>(std::fwrite(chunk.data(), 1, chunk.size(), out));
    return std::fclose(out) == 0 && written > 0;
}

long PeakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void Tick(RTDataMgrFile& input, ValueMap& values)
{
    values.clear();
    for (const char* name : kNames)
        values[name] = 0.0;
    input.Update();
}

class TempDatalog {
public:
    TempDatalog()
    {
        path = static_cast<const char*>(wxFileName::CreateTempFileName("tarn-bench").fn_str());
        ok = WriteDatalog(path);
    }
    ~TempDatalog() { std::remove(path.c_str()); }
    std::string path;
    bool ok = false;
};

TempDatalog& Datalog()
{
    static TempDatalog log;
    return log;
}

void BM_Ready(benchmark::State& state)
{
    if (!Datalog().ok) {
        state.SkipWithError("cannot write the datalog");
        return;
    }
    for (auto _ : state) {
        RTDataMgrFile input(Datalog().path);
        benchmark::DoNotOptimize(input.GetColumnCount());
    }
    state.counters["lines"] = RTDataMgrFile(Datalog().path).getLineCount();
    state.counters["peak_rss_MiB"] = PeakRssKiB() / 1024.0;
}
BENCHMARK(BM_Ready)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Tick(benchmark::State& state)
{
    if (!Datalog().ok) {
        state.SkipWithError("cannot write the datalog");
        return;
    }
    wxLogNull quiet; // each tick traces every name
    auto input = std::make_unique<RTDataMgrFile>(Datalog().path);
    ValueMap values;
    input->setValueMap(&values);
    for (auto _ : state) {
        if (input->getLineIndex() + 1 >= input->getLineCount()) {
            state.PauseTiming();
            input = std::make_unique<RTDataMgrFile>(Datalog().path);
            input->setValueMap(&values);
            state.ResumeTiming();
        }
        Tick(*input, values);
        benchmark::DoNotOptimize(values.size());
    }
}
BENCHMARK(BM_Tick)->Unit(benchmark::kMicrosecond);

int ReadyOnce(const char* path)
{
    wxLogNull quiet;
    const long before = PeakRssKiB();
    const auto start = std::chrono::steady_clock::now();
    RTDataMgrFile input(path);
    const auto ready = std::chrono::steady_clock::now();
    if (input.GetOpenResult() != 0) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 2;
    }
    ValueMap values;
    input.setValueMap(&values);
    for (int i = 0; i < 10; ++i)
        Tick(input, values);
    std::printf("lines %d, columns %zu, ready in %.3f s, peak RSS %ld KiB before, %ld KiB after\n",
                input.getLineCount(), input.GetColumnCount(),
                std::chrono::duration<double>(ready - start).count(), before, PeakRssKiB());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 2;
    for (int i = 1; i < argc; ++i) {
        if (!std::strncmp(argv[i], "--write-datalog=", 16))
            return WriteDatalog(argv[i] + 16) ? 0 : 2;
        if (!std::strncmp(argv[i], "--ready-once=", 13))
            return ReadyOnce(argv[i] + 13);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
