// The dashboard with the ECU input. On a port that never answers: how long a
// click on a digital gauge takes to open its value selector (5 tries), and
// the GUI's own event latency meanwhile (a call posted every 10 ms: the delay
// until it runs). With a healthy simulated ECU at 9600 baud: the GUI thread's
// time for one whole refresh tick (fetch request, values, five gauges).
// Runs under Xvfb; the real main frame.
#include "bench/GuiBenchMain.h" // main()
#include "app/MainFrame.h"
#include "base/StderrTrace.h"
#include "gauges/SevenSegmentFont.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/app/FrameDriver.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/SerialPortEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/SimProcess.h"
#include "tests/gauges/GuiClick.h"

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/timer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

void Pump(int ms)
{
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        wxTheApp->Yield(true);
        wxMilliSleep(1);
    }
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1))];
}

void BM_ClickToSelectorOnSilentPort(benchmark::State& state)
{
    TempDir dir;
    for (const char* name : {"tarnv3.ini"}) {
        std::ifstream in(std::string(TARN_SAMPLE_DIR) + "/" + name, std::ios::binary);
        std::ofstream(dir.file(name), std::ios::binary) << in.rdbuf();
    }
    wxSetWorkingDirectory(dir.path);
    const std::string link = dir.file("ttyECU");
    SerialPortEnv env(link);
    PtyPeer silent(link);
    MainFrame* frame = new MainFrame("V3 GUI for WinCE");
    frame->Show();
    WaitShownOnScreen(frame);
    SelectInput(frame, ID_INPUT_ECU);
    Pump(1000); // the worker is deep in its first failed fetch by now

    std::vector<double> clicks;
    TarnGaugeDigital* gauge = frame->GetDigitalGauge(0);
    for (auto _ : state) {
        for (int i = 0; i < 5; ++i) {
            const wxPoint at = gauge->ClientToScreen(wxPoint(60, 25));
            wxUIActionSimulator sim;
            sim.MouseMove(at);
            WaitFor([&] { return wxGetMousePosition() == at; });
            const auto start = Clock::now();
            sim.MouseClick();
            while (!gauge->GetSelector()->IsShown() && Clock::now() - start < std::chrono::seconds(10)) {
                wxTheApp->Yield(true);
                wxMilliSleep(1);
            }
            clicks.push_back(Ms(Clock::now() - start).count());
            gauge->GetSelector()->Hide();
            Pump(300);
            silent.receive(0);
        }
        // The event loop's own latency: a call posted every 10 ms for 3 s.
        std::vector<double> delays;
        const auto end = Clock::now() + std::chrono::seconds(3);
        while (Clock::now() < end) {
            const auto posted = Clock::now();
            bool ran = false;
            wxTheApp->CallAfter([&] {
                delays.push_back(Ms(Clock::now() - posted).count());
                ran = true;
            });
            while (!ran) {
                wxTheApp->Yield(true);
                wxMilliSleep(1);
            }
            Pump(10);
            silent.receive(0);
        }
        state.counters["event_p99_ms"] = Percentile(delays, 0.99);
        state.SetIterationTime(Percentile(clicks, 1.0) / 1e3);
    }
    for (size_t i = 0; i < clicks.size(); ++i)
        state.counters["click" + std::to_string(i + 1) + "_ms"] = clicks[i];
    state.counters["click_max_ms"] = Percentile(clicks, 1.0);
    SelectInput(frame, ID_INPUT_NONE);
    frame->Destroy();
    wxTheApp->ProcessIdle();
}
BENCHMARK(BM_ClickToSelectorOnSilentPort)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_GuiTickHealthyEcu(benchmark::State& state)
{
    TempDir dir;
    {
        std::ifstream in(std::string(TARN_SAMPLE_DIR) + "/tarnv3.ini", std::ios::binary);
        std::ofstream(dir.file("tarnv3.ini"), std::ios::binary) << in.rdbuf();
    }
    wxSetWorkingDirectory(dir.path);
    SimProcess sim({"--ini", std::string(TARN_SAMPLE_DIR) + "/tarnv3.ini"});
    MainFrame* frame = new MainFrame("V3 GUI for WinCE");
    frame->Show();
    WaitShownOnScreen(frame);
    SelectInput(frame, ID_INPUT_ECU);
    frame->GetTimer().Stop(); // ticks come from here, 300 ms apart
    std::vector<double> ticks;
    auto next = Clock::now();
    for (auto _ : state) {
        while (Clock::now() < next) {
            wxTheApp->Yield(true);
            wxMilliSleep(1);
        }
        next += std::chrono::milliseconds(EcuSession::kPeriodMs);
        wxTimerEvent tick(frame->GetTimer());
        const auto start = Clock::now();
        frame->ProcessWindowEvent(tick);
        const Ms took = Clock::now() - start;
        ticks.push_back(took.count());
        state.SetIterationTime(took.count() / 1e3);
    }
    state.counters["median_ms"] = Percentile(ticks, 0.5);
    state.counters["p90_ms"] = Percentile(ticks, 0.9);
    state.counters["max_ms"] = Percentile(ticks, 1.0);
    SelectInput(frame, ID_INPUT_NONE);
    frame->Destroy();
    wxTheApp->ProcessIdle();
}
BENCHMARK(BM_GuiTickHealthyEcu)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(40);

} // namespace
