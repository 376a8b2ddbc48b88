// Figures of the ECU input with its worker thread, on real pseudo-terminals:
// the caller's (GUI thread's) time per tick against a healthy simulator at
// 9600 baud, how long stopping takes in the middle of a wait, the process's
// CPU share while the port stays silent, and how soon values turn stale when
// the simulator stops and live again when it is back.
#include "bench/QuietBenchMain.h" // main()
#include "base/StderrTrace.h"
#include "definition/IniParser.h"
#include "definition/SymbolTable.h"
#include "ecu/RTDataMgrSerial.h"
#include "link/TarnProtocol.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/SerialPortEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/SimProcess.h"

#include <benchmark/benchmark.h>
#include <wx/init.h>
#include <wx/log.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

const std::string kSampleIni = TARN_SAMPLE_DIR "/tarnv3.ini";
constexpr auto kTick = std::chrono::milliseconds(300);

double ProcessCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

std::unique_ptr<SymbolTable> Sample()
{
    return std::unique_ptr<SymbolTable>(
        loadDefinitionFileFrom(wxString::FromUTF8(kSampleIni), nullptr, nullptr));
}

// One dashboard tick: the names the gauges show, then the input's Update().
void Tick(RTDataMgrSerial& input, ValueMap& values)
{
    values.clear();
    for (const char* name : {"rpm", "map", "spark", "lambda", "dwell"})
        values[name] = 0;
    input.Update();
    wxLog::FlushActive();
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1))];
}

void BM_GuiTickHealthyEcu(benchmark::State& state)
{
    SimProcess sim({"--ini", kSampleIni});
    std::unique_ptr<SymbolTable> table = Sample();
    TarnProtocol protocol(SerialPortHandler::getInstance());
    RTDataMgrSerial input(&protocol, table.get());
    ValueMap values;
    input.setValueMap(&values);
    std::vector<double> ticks;
    auto next = Clock::now();
    for (auto _ : state) {
        std::this_thread::sleep_until(next);
        next += kTick;
        const auto start = Clock::now();
        Tick(input, values);
        const Ms took = Clock::now() - start;
        ticks.push_back(took.count());
        state.SetIterationTime(took.count() / 1e3);
    }
    state.counters["median_ms"] = Percentile(ticks, 0.5);
    state.counters["max_ms"] = Percentile(ticks, 1.0);
    state.counters["stale_at_end"] = input.IsStale();
}
BENCHMARK(BM_GuiTickHealthyEcu)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(40);

void BM_StopInTheMiddleOfAWait(benchmark::State& state)
{
    TempDir dir;
    const std::string link = dir.file("ttyECU");
    SerialPortEnv env(link);
    PtyPeer silent(link);
    std::unique_ptr<SymbolTable> table = Sample();
    TarnProtocol protocol(SerialPortHandler::getInstance());
    std::mt19937 random(1);
    std::vector<double> stops;
    for (auto _ : state) {
        RTDataMgrSerial input(&protocol, table.get());
        input.requestFetch();
        // Somewhere within the fetch's 1.3 s of probes and waits.
        std::this_thread::sleep_for(std::chrono::milliseconds(100 + random() % 1000));
        const auto start = Clock::now();
        input.stop();
        const Ms took = Clock::now() - start;
        stops.push_back(took.count());
        state.SetIterationTime(took.count() / 1e3);
        silent.receive(0);
        wxLog::FlushActive();
    }
    state.counters["max_ms"] = Percentile(stops, 1.0);
}
BENCHMARK(BM_StopInTheMiddleOfAWait)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_CpuWhileThePortIsSilent(benchmark::State& state)
{
    TempDir dir;
    const std::string link = dir.file("ttyECU");
    SerialPortEnv env(link);
    PtyPeer silent(link);
    std::unique_ptr<SymbolTable> table = Sample();
    TarnProtocol protocol(SerialPortHandler::getInstance());
    RTDataMgrSerial input(&protocol, table.get());
    ValueMap values;
    input.setValueMap(&values);
    for (auto _ : state) {
        const double cpu = ProcessCpuMs();
        const auto start = Clock::now();
        for (int tick = 0; tick < 20; ++tick) { // 6 s of dashboard ticks
            Tick(input, values);
            silent.receive(0);
            std::this_thread::sleep_for(kTick);
        }
        const Ms wall = Clock::now() - start;
        state.counters["cpu_share_of_one_core"] = (ProcessCpuMs() - cpu) / wall.count();
        state.SetIterationTime(wall.count() / 1e3);
    }
}
BENCHMARK(BM_CpuWhileThePortIsSilent)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

// Ticks every 300 ms until `done` holds; the time it took.
template <typename Done>
double TickUntil(RTDataMgrSerial& input, ValueMap& values, Done done, double limitMs = 20000)
{
    const auto start = Clock::now();
    auto next = start;
    for (;;) {
        std::this_thread::sleep_until(next);
        next += kTick;
        Tick(input, values);
        const Ms since = Clock::now() - start;
        if (done() || since.count() > limitMs)
            return since.count();
    }
}

void BM_StaleAfterStopLiveAfterReturn(benchmark::State& state)
{
    std::unique_ptr<SymbolTable> table = Sample();
    TarnProtocol protocol(SerialPortHandler::getInstance());
    SimProcess sim({"--ini", kSampleIni});
    RTDataMgrSerial input(&protocol, table.get());
    ValueMap values;
    input.setValueMap(&values);
    std::vector<double> staleAfter, liveAfter;
    for (auto _ : state) {
        TickUntil(input, values, [&] { return !input.IsStale(); });
        sim.stop();
        staleAfter.push_back(TickUntil(input, values, [&] { return input.IsStale(); }));
        sim.start({"--ini", kSampleIni});
        liveAfter.push_back(TickUntil(input, values, [&] { return !input.IsStale(); }));
        state.SetIterationTime((staleAfter.back() + liveAfter.back()) / 1e3);
    }
    state.counters["stale_after_ms_max"] = Percentile(staleAfter, 1.0);
    state.counters["live_after_ms_max"] = Percentile(liveAfter, 1.0);
}
BENCHMARK(BM_StaleAfterStopLiveAfterReturn)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

} // namespace
