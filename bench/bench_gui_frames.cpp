// The GUI thread drawing 30 frames a second while the input's values change
// 75 times a second, as from a fast ECU link: the real main frame on the
// Speeduino file (its dial, digital gauges and lamps), every shown value
// moving, each frame a tick and the paint it causes, done at once. Reports
// the time of one frame (median, p90, max) at 240 x 320 and 800 x 480, traced
// and not, the paints of the dial per frame
// and the process's CPU time over the run as a share of one core. Runs under
// Xvfb.
#include "bench/GuiBenchMain.h" // main()
#include "app/MainFrame.h"
#include "definition/SymbolTable.h"
#include "dispatch/GaugeUpdater.h"
#include "gaugemodel/TARNGaugeDesc.h"
#include "gauges/TarnGauge.h"
#include "tests/app/FrameDriver.h"
#include "tests/gauges/GuiClick.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/filefn.h>
#include <wx/log.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

constexpr double kRecordsPerSecond = 75.0;
constexpr int kFrameMs = 33;

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1))];
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Every name sweeps its gauge's range, one new record every 1/75 s; lamps
// flip with the record number.
class SweepingInput : public RTDataMgr {
public:
    explicit SweepingInput(const SymbolTable& table)
    {
        for (const TARNGaugeDesc* desc : table.getGauges())
            if (desc)
                ranges[desc->getSymbolName()] = {desc->getMinValue(), desc->getMaxValue()};
    }
    void Update() override
    {
        record = static_cast<long>(Ms(Clock::now() - start).count() * kRecordsPerSecond / 1000.0);
        for (auto& entry : *valueMap)
            entry.second = GetValue(entry.first);
    }
    double GetValue(const wxString& name) override
    {
        const auto range = ranges.find(name);
        if (range == ranges.end())
            return NoValue();
        const double phase = static_cast<double>(std::hash<std::wstring>()(name.ToStdWstring()) % 100) / 100;
        const double wave = 0.5 + 0.45 * std::sin(2 * M_PI * (record / kRecordsPerSecond * 0.5 + phase));
        return range->second.first + (range->second.second - range->second.first) * wave;
    }
    bool HasValue(const wxString& name) override { return ranges.count(name) > 0; }
    int GetKind() override { return KindSerial; }
    double ExpressionValue(const wxString& expression) override
    {
        return static_cast<double>((record / 40 + expression.length()) % 2);
    }

private:
    std::map<wxString, std::pair<double, double>> ranges;
    Clock::time_point start = Clock::now();
    long record = 0;
};

void BM_FrameAt30FpsFrom75HzValues(benchmark::State& state)
{
    TempDir dir;
    wxSetWorkingDirectory(dir.path);
    FrameStart start;
    start.options.iniFile = TARN_SOURCE_DIR "/../shared/realworld/ini/speeduino_reference.ini";
    MainFrame* frame = new MainFrame("V3 GUI for WinCE", start);
    frame->SetClientSize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    frame->Show();
    WaitShownOnScreen(frame);
    long dialPaints = 0;
    frame->GetAnalogGauge()->Bind(wxEVT_PAINT, [&dialPaints](wxPaintEvent& e) {
        ++dialPaints;
        e.Skip();
    });
    SweepingInput input(*currentSymbolTable());
    frame->GetDispatcher()->SetInput(&input);
    Tick(frame);
    frame->Update();

    // The third argument 0: the trace off, as with --log-limit 0.
    std::unique_ptr<wxLogNull> untraced(state.range(2) == 0 ? new wxLogNull : nullptr);
    std::vector<double> frames;
    long paintsBefore = dialPaints;
    const double cpuBefore = CpuSeconds();
    const auto runStart = Clock::now();
    auto next = Clock::now();
    for (auto _ : state) {
        wxTheApp->Yield(true);
        std::this_thread::sleep_until(next);
        next += std::chrono::milliseconds(kFrameMs);
        const auto begin = Clock::now();
        Tick(frame);
        frame->Update(); // the paint the tick caused, now rather than later
        const Ms took = Clock::now() - begin;
        frames.push_back(took.count());
        state.SetIterationTime(took.count() / 1e3);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - runStart).count();
    state.counters["median_ms"] = Percentile(frames, 0.5);
    state.counters["p90_ms"] = Percentile(frames, 0.9);
    state.counters["max_ms"] = Percentile(frames, 1.0);
    state.counters["dial_paints_per_frame"] = double(dialPaints - paintsBefore) / double(frames.size());
    state.counters["cpu_percent"] = 100.0 * (CpuSeconds() - cpuBefore) / wall;
    frame->GetDispatcher()->SetInput(nullptr);
    frame->Destroy();
    wxTheApp->ProcessIdle();
}
BENCHMARK(BM_FrameAt30FpsFrom75HzValues)
    ->Args({240, 320, 1})
    ->Args({800, 480, 1})
    ->Args({240, 320, 0})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(300);

} // namespace
