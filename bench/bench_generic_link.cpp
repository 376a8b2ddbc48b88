// Figures of the generic link on a real pseudo-terminal against the
// simulator at 115200 baud: one fetch of a 130-byte block in the framed
// envelope (137 bytes of reply on the line, 11.9 ms at that speed), and the
// 1,248-byte block fetched in parts of 500. Wall time is the benchmark's
// time; "cpu_ms" is the process's processor time per fetch. Then a real
// file's pages of constants read while the gauges keep ticking.
#include "bench/QuietBenchMain.h" // main()
#include "base/StderrTrace.h"
#include "definition/IniParser.h"
#include "definition/SymbolTable.h"
#include "gaugemodel/TARNGaugeDesc.h"
#include "ecu/RTDataMgrSerial.h"
#include "link/GenericLink.h"
#include "link/TarnProtocol.h"
#include "serial/SerialPortHandler.h"
#include "tests/support/SimProcess.h"

#include <benchmark/benchmark.h>
#include <wx/init.h>
#include <wx/log.h>

#include <chrono>
#include <ctime>
#include <fstream>
#include <memory>
#include <thread>

namespace {

double ProcessCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// A framed firmware of `size` bytes, little-endian, read in parts of `part`.
std::string WriteDefinition(const TempDir& dir, int size, int part)
{
    const std::string path = dir.file("framed.ini");
    std::ofstream out(path);
    out << "[MegaTune]\n   queryCommand = \"Q\"\n   signature = \"bench firmware 1\"\n"
        << "[Constants]\n   endianness = little\n   messageEnvelopeFormat = msEnvelope_1.0\n"
        << "   blockingFactor = " << part << "\n   blockReadTimeout = 500\n"
        << "[OutputChannels]\n   ochGetCommand = \"r\\$tsCanId\\x30%2o%2c\"\n"
        << "   ochBlockSize = " << size << "\n"
        << "   rpm = scalar, U16, 14, \"rpm\", 1.000, 0.000\n"
        << "   map = scalar, U16, 4, \"kpa\", 1.000, 0.000\n";
    return path;
}

void FetchFramed(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const int part = static_cast<int>(state.range(1));
    TempDir files;
    const std::string ini = WriteDefinition(files, size, part);
    SimProcess sim({"--ini", ini, "--baud", "115200"});
    if (!sim.ok()) {
        state.SkipWithError("tarn-ecu-sim did not start");
        return;
    }
    int result = -1;
    std::unique_ptr<SymbolTable> table(loadDefinitionFileFrom(wxString::FromUTF8(ini), nullptr, &result));
    if (result != 0) {
        state.SkipWithError("cannot read the definition file");
        return;
    }
    SerialPortHandler handler;
    GenericLink link(handler, table->getLinkSettings(), table->getBlockSize());
    std::vector<unsigned char> block;
    if (link.fetch(block) != 0) { // opens the port, identifies the firmware
        state.SkipWithError(link.lastProblem().c_str());
        return;
    }
    int failures = 0;
    double cpuTotal = 0, worst = 0;
    for (auto _ : state) {
        const double cpu = ProcessCpuMs();
        const auto start = std::chrono::steady_clock::now();
        failures += link.fetch(block) != 0;
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        cpuTotal += ProcessCpuMs() - cpu;
        worst = std::max(worst, wall.count() * 1e3);
        state.SetIterationTime(wall.count());
    }
    state.counters["cpu_ms"] = cpuTotal / static_cast<double>(state.iterations());
    state.counters["worst_ms"] = worst;
    state.counters["failures"] = failures;
}
BENCHMARK(FetchFramed)
    ->Name("BM_FetchFramed130At115200")
    ->Args({130, 251})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(50);
BENCHMARK(FetchFramed)
    ->Name("BM_FetchFramed1248InPartsOf500At115200")
    ->Args({1248, 500})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

} // namespace

namespace {

// The ECU input on the Speeduino file, the simulator serving it at 115200
// baud on a pseudo-terminal; `problem` says why not when it cannot run.
struct SpeeduinoOnSim {
    const std::string ini = TARN_SOURCE_DIR "/../shared/realworld/ini/speeduino_reference.ini";
    std::unique_ptr<SymbolTable> table = Load(ini);
    SimProcess sim{{"--ini", ini, "--baud", "115200"}};
    SerialPortHandler handler;
    TarnProtocol protocol{&handler};
    std::unique_ptr<RTDataMgrSerial> input =
        table && sim.ok() ? std::make_unique<RTDataMgrSerial>(&protocol, table.get()) : nullptr;
    const char* problem = !table ? "no real definition file beside the repository"
                          : !sim.ok() ? "tarn-ecu-sim did not start" : nullptr;

    static std::unique_ptr<SymbolTable> Load(const std::string& path)
    {
        int result = -1;
        std::unique_ptr<SymbolTable> loaded(loadDefinitionFileFrom(wxString::FromUTF8(path), nullptr, &result));
        if (result != 0)
            return nullptr;
        loaded->getLinkSettings().delayAfterPortOpen = 0; // nothing restarts on a pseudo-terminal
        return loaded;
    }
};

// Every page of the Speeduino file (15 pages, 3,408 bytes, framed, parts of
// at most 251 bytes) read by the ECU input's worker while a tick asks for
// the runtime data every 300 ms, as the dashboard does: the round's time
// from its start to its last page, and the records fetched meanwhile.
void PagesWithTicks(benchmark::State& state)
{
    SpeeduinoOnSim on;
    if (on.problem) {
        state.SkipWithError(on.problem);
        return;
    }
    RTDataMgrSerial& input = *on.input;
    double records = 0, failed = 0;
    bool first = true;
    for (auto _ : state) {
        if (!first)
            input.requestPages(); // the first round starts at the first connection
        first = false;
        const uint64_t before = input.getRecordSequence();
        std::shared_ptr<const EcuWorker::Pages> pages;
        for (int tick = 0; !pages && tick < 100; ++tick) {
            input.requestFetch();
            for (int slice = 0; slice < 30 && !pages; ++slice) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                pages = input.takePages();
            }
            input.fillValueMap();
        }
        if (!pages) {
            state.SkipWithError("no round of pages ended");
            return;
        }
        failed += pages->readNow != 15;
        records += double(input.getRecordSequence() - before);
        state.SetIterationTime(std::chrono::duration<double>(pages->took).count());
    }
    state.counters["records_meanwhile"] = records / double(state.iterations());
    state.counters["rounds_short_of_15"] = failed;
}
BENCHMARK(PagesWithTicks)
    ->Name("BM_SpeeduinoPagesWithTicksAt115200")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(7);

} // namespace

namespace {

// The ECU input on the Speeduino file fetching back to back for 5 s, once
// asking for the whole 130-byte block and once for only the channels of the
// five gauges the file's front page shows first (its dial and four digital
// gauges): records per second, and the bytes each fetch asks for.
void RecordsPerSecond(benchmark::State& state)
{
    SpeeduinoOnSim on;
    if (on.problem) {
        state.SkipWithError(on.problem);
        return;
    }
    RTDataMgrSerial& input = *on.input;
    // Connected, and the first round of pages read, before counting.
    const auto settle = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!input.takePages() && std::chrono::steady_clock::now() < settle) {
        input.requestFetch();
        input.waitForFetch();
    }
    std::vector<wxString> shown;
    for (const char* gauge : {"tachometer", "throttleGauge", "pulseWidthGauge", "dutyCycleGauge", "mapGauge"})
        for (const TARNGaugeDesc* desc : on.table->getGauges())
            if (desc && desc->getName() == gauge)
                shown.push_back(desc->getSymbolName());
    if (state.range(0) == 1)
        input.setNeededChannels(shown, {});
    int32_t asked = 0;
    for (const ByteRange& range : input.getWantedRanges())
        asked += range.count;
    double records = 0, failures = 0;
    for (auto _ : state) {
        const uint64_t before = input.getRecordSequence();
        const auto start = std::chrono::steady_clock::now();
        const auto end = start + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < end) {
            input.requestFetch();
            failures += input.waitForFetch() != 0;
        }
        input.fillValueMap();
        records = double(input.getRecordSequence() - before);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    state.counters["records_per_s"] = records / 5.0;
    state.counters["bytes_asked"] = asked > 0 ? asked : on.table->getBlockSize();
    state.counters["shown_channels"] = double(shown.size());
    state.counters["failures"] = failures;
}
BENCHMARK(RecordsPerSecond)
    ->Name("BM_SpeeduinoRecordsPerSecondAt115200")
    ->ArgName("onlyShown")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

} // namespace
