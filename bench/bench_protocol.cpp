// Figures of the ECU layer on real pseudo-terminals: one runtime data fetch
// against the simulator at 9600 baud (its floor is the read limit of
// L + 22 ms), a fetch with no ECU answering (5 attempts), and a read that
// waits out its whole limit. Wall time is the benchmark's time; "cpu_ms" is
// the process's processor time per call (the time-out timer's thread
// included) and "cpu_share" that divided by the wall time.
#include "bench/QuietBenchMain.h" // main()
#include "base/StderrTrace.h"
#include "link/TarnProtocol.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/SerialPortEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/SimProcess.h"

#include <benchmark/benchmark.h>
#include <wx/init.h>
#include <wx/log.h>

#include <chrono>
#include <ctime>

namespace {

double ProcessCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Runs `call` once per iteration, timing it by hand (wall and process CPU).
template <typename Call>
void Measure(benchmark::State& state, Call call)
{
    double cpuTotal = 0, wallTotal = 0;
    for (auto _ : state) {
        const double cpu = ProcessCpuMs();
        const auto start = std::chrono::steady_clock::now();
        const int result = call();
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        cpuTotal += ProcessCpuMs() - cpu;
        wallTotal += wall.count() * 1e3;
        state.SetIterationTime(wall.count());
        benchmark::DoNotOptimize(result);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["cpu_ms"] = cpuTotal / n;
    state.counters["cpu_share"] = wallTotal > 0 ? cpuTotal / wallTotal : 0;
}

void BM_FetchFromSimulator(benchmark::State& state)
{
    SimProcess sim({"--reply-length", "56"});
    if (!sim.ok()) {
        state.SkipWithError("tarn-ecu-sim did not start");
        return;
    }
    SerialPortHandler handler;
    TarnProtocol protocol(&handler);
    if (protocol.getRuntimeData() != 0) { // finds the ECU, leaves the line at 9600
        state.SkipWithError("no runtime data from the simulator");
        return;
    }
    int failures = 0;
    Measure(state, [&] {
        const int r = protocol.getRuntimeData();
        failures += r != 0;
        return r;
    });
    state.counters["failures"] = failures;
}
BENCHMARK(BM_FetchFromSimulator)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_FetchWithNoEcu(benchmark::State& state)
{
    TempDir dir;
    const std::string link = dir.file("ttyECU");
    SerialPortEnv env(link);
    PtyPeer silent(link);
    SerialPortHandler handler;
    TarnProtocol protocol(&handler);
    Measure(state, [&] {
        const int r = protocol.getRuntimeData();
        silent.receive(0); // what was sent: keep the terminal's buffer empty
        return r;
    });
}
BENCHMARK(BM_FetchWithNoEcu)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ReadWaitsOutItsLimit(benchmark::State& state)
{
    TempDir dir;
    const std::string link = dir.file("ttyECU");
    SerialPortEnv env(link);
    PtyPeer silent(link);
    SerialPortHandler handler;
    handler.open();
    char buffer[64];
    Measure(state, [&] { return handler.ReadBytes(buffer, 58); });
}
BENCHMARK(BM_ReadWaitsOutItsLimit)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
