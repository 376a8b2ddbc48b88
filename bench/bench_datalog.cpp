// Datalog replay on 100 MB recordings in each format: how long until the input
// is ready, what one tick costs, and how much memory the whole file takes.
//
//   bench_datalog                          the benchmarks (writes temporary logs)
//   bench_datalog --write-datalog=PATH     only write the 100 MB log to PATH
//   bench_datalog --write-msl=PATH         ... the 100 MB text log
//   bench_datalog --write-mlg=PATH         ... the 100 MB binary log
//   bench_datalog --ready-once=PATH        construct once, tick 10 times and print
//                                          the ready time and peak resident memory
#define TARN_BENCH_OWN_OPTIONS
#include "bench/BenchMain.h" // main(), which calls OwnOptions()
#include "datalog/RTDataMgrFile.h"
#include "tests/datalog/BinaryLogBuilder.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

const int kColumns = 40;
const long long kTargetBytes = 100LL * 1000 * 1000;
const char* const kNames[] = {"c0", "C7", "c19", "c39", "missing"};
const long long kRecordsPerMarker = 50000;

// Writes `head`, then lines from `line(r)` until the file holds 100 MB.
bool WriteLines(const std::string& path, const std::string& head, const std::function<std::string(long long)>& line)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    std::string chunk = head;
    long long written = 0;
    for (long long r = 0; written + static_cast<long long>(chunk.size()) < kTargetBytes; ++r) {
        chunk += line(r);
        if (chunk.size() > (1u << 20)) {
            written += static_cast<long long>(std::fwrite(chunk.data(), 1, chunk.size(), out));
            chunk.clear();
        }
    }
    written += static_cast<long long>(std::fwrite(chunk.data(), 1, chunk.size(), out));
    return std::fclose(out) == 0 && written > 0;
}

// Short numbers, about 100 bytes a record: the time, then small integers.
std::string Record(long long r)
{
    char field[32];
    std::snprintf(field, sizeof field, "%lld.%lld", r / 10, r % 10);
    std::string line = field;
    for (int c = 1; c < kColumns; ++c) {
        std::snprintf(field, sizeof field, "\t%lld", (r * 31 + c * 17) % (c < 8 ? 1000 : c < 20 ? 100 : 10));
        line += field;
    }
    return line + "\n";
}

std::string Header(const char* first)
{
    std::string header;
    for (int c = 0; c < kColumns; ++c)
        header += (c ? "\tc" : std::string(first)) + (c ? std::to_string(c) : "");
    return header + "\n";
}

// The dashboard's own format: title, header c0..c39, records.
bool WriteDatalog(const std::string& path)
{
    return WriteLines(path, "benchmark datalog\n" + Header("c0"), Record);
}

// The suites' text format: two title lines, header Time c1..c39, units,
// records, a MARK line now and then.
bool WriteTextLog(const std::string& path)
{
    std::string units = "s";
    for (int c = 1; c < kColumns; ++c)
        units += "\tu";
    const std::string head = "\"benchmark firmware\"\n\"Capture Date: Mon Jan 01 00:00:00 UTC 2024\"\n" +
                             Header("Time") + units + "\n";
    return WriteLines(path, head, [](long long r) {
        return (r > 0 && r % kRecordsPerMarker == 0 ? "MARK " + std::to_string(r / kRecordsPerMarker) + " - bench\n"
                                                    : std::string()) +
               Record(r);
    });
}

// A version 2 binary log: Time (F32), then 59 fields of every kind; 137-byte records.
std::vector<BinaryField> BinaryFields()
{
    std::vector<BinaryField> fields{{7, "Time", "s", 1, 0, 3}};
    const uint8_t types[] = {0, 1, 2, 3, 4, 5, 7, 10, 11, 12};
    for (int c = 1; c < 60; ++c)
        fields.push_back({types[c % 10], "c" + std::to_string(c), "u", c % 3 ? 1.0f : 0.1f, 0, 1});
    return fields;
}

bool WriteBinaryLog(const std::string& path)
{
    const std::vector<BinaryField> fields = BinaryFields();
    const std::string head = BinaryLogBuilder(2, fields).Bytes();
    const size_t blocksPerChunk = 8192;
    long long r = 0;
    std::vector<double> raws(fields.size());
    std::ofstream out(path, std::ios::binary);
    out << head;
    for (long long written = static_cast<long long>(head.size()); written < kTargetBytes;) {
        BinaryLogBuilder chunk(2, fields);
        for (size_t b = 0; b < blocksPerChunk; ++b, ++r) {
            raws[0] = r * 0.05;
            for (size_t f = 1; f < raws.size(); ++f)
                raws[f] = static_cast<double>((r * 31 + f * 17) % 100);
            chunk.AddRecord(raws);
            if (r % kRecordsPerMarker == 0)
                chunk.AddMarker("bench");
        }
        const std::string blocks = chunk.Bytes().substr(head.size());
        out << blocks;
        written += static_cast<long long>(blocks.size());
    }
    return static_cast<bool>(out.flush());
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

class TempLog {
    const TempDir dir;

public:
    explicit TempLog(bool (*write)(const std::string&)) : path(dir.file("log"))
    {
        ok = write(path);
        bytes = wxFileName::GetSize(path).GetValue();
    }
    const std::string path;
    bool ok = false;
    unsigned long long bytes = 0;
};

TempLog& OwnLog()
{
    static TempLog log(WriteDatalog);
    return log;
}
TempLog& TextLogFile()
{
    static TempLog log(WriteTextLog);
    return log;
}
TempLog& BinaryLogFile()
{
    static TempLog log(WriteBinaryLog);
    return log;
}

// Ready time. Memory is measured by --ready-once in a fresh process: here the
// heap keeps what earlier iterations freed.
void Ready(benchmark::State& state, TempLog& log)
{
    if (!log.ok) {
        state.SkipWithError("cannot write the log");
        return;
    }
    wxLogNull quiet;
    for (auto _ : state) {
        RTDataMgrFile input(log.path);
        benchmark::DoNotOptimize(input.GetColumnCount());
    }
    RTDataMgrFile input(log.path);
    state.counters["records"] = static_cast<double>(input.GetLog().RecordCount());
    state.counters["file_MB"] = static_cast<double>(log.bytes) / 1e6;
}
void BM_Ready(benchmark::State& state) { Ready(state, OwnLog()); }
void BM_ReadyText(benchmark::State& state) { Ready(state, TextLogFile()); }
void BM_ReadyBinary(benchmark::State& state) { Ready(state, BinaryLogFile()); }
BENCHMARK(BM_Ready)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadyText)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadyBinary)->Unit(benchmark::kMillisecond)->Iterations(3);

void TickEach(benchmark::State& state, TempLog& log)
{
    if (!log.ok) {
        state.SkipWithError("cannot write the log");
        return;
    }
    wxLogNull quiet; // each tick traces every name
    auto input = std::make_unique<RTDataMgrFile>(log.path);
    ValueMap values;
    input->setValueMap(&values);
    for (auto _ : state) {
        if (input->GetReplay().IsAtEnd())
            input->GetReplay().SeekToStart();
        Tick(*input, values);
        benchmark::DoNotOptimize(values.size());
    }
}
void BM_Tick(benchmark::State& state) { TickEach(state, OwnLog()); }
void BM_TickText(benchmark::State& state) { TickEach(state, TextLogFile()); }
void BM_TickBinary(benchmark::State& state) { TickEach(state, BinaryLogFile()); }
BENCHMARK(BM_Tick)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickBinary)->Unit(benchmark::kMicrosecond);

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
    const double fileKiB = wxFileName::GetSize(path).ToDouble() / 1024.0;
    std::printf("%s: %zu records, columns %zu, ready in %.3f s, peak RSS %ld KiB before, %ld KiB after "
                "(%.3f x the file)\n",
                static_cast<const char*>(input.GetLog().Describe().utf8_str()), input.GetLog().RecordCount(),
                input.GetColumnCount(), std::chrono::duration<double>(ready - start).count(), before,
                PeakRssKiB(), (PeakRssKiB() - before) / fileKiB);
    return 0;
}

} // namespace

int OwnOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strncmp(argv[i], "--write-datalog=", 16))
            return WriteDatalog(argv[i] + 16) ? 0 : 2;
        if (!std::strncmp(argv[i], "--write-msl=", 12))
            return WriteTextLog(argv[i] + 12) ? 0 : 2;
        if (!std::strncmp(argv[i], "--write-mlg=", 12))
            return WriteBinaryLog(argv[i] + 12) ? 0 : 2;
        if (!std::strncmp(argv[i], "--ready-once=", 13))
            return ReadyOnce(argv[i] + 13);
    }
    return -1;
}
