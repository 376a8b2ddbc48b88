// The dashboard on an 800 x 480 car panel: a re-layout of the whole frame
// (the dial's layers rebuilt for the new size included) and one value update
// of the dial as the GUI thread pays for it. Runs under Xvfb.
#include "bench/GuiBenchMain.h" // main()
#include "app/MainFrame.h"
#include "dispatch/GaugeUpdater.h"
#include "gauges/SevenSegmentFont.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/log.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <cstdio>
#include <functional>

namespace {

bool WaitFor(const std::function<bool()>& condition, long ms = 3000)
{
    wxStopWatch watch;
    while (watch.Time() < ms) {
        if (condition())
            return true;
        wxYield();
    }
    return condition();
}

// The real main frame with the sample definition file, shown at 800 x 480.
struct Dashboard {
    Dashboard()
    {
        FrameStart start;
        start.options.iniFile = TARN_SAMPLE_DIR "/tarnv3.ini";
        start.options.size = wxSize(800, 480);
        frame = new MainFrame("bench", start);
        frame->Show();
        WaitFor([this] { return frame->IsShownOnScreen(); });
        frame->GetAnalogGauge()->Update();
    }
    ~Dashboard()
    {
        frame->Destroy();
        wxTheApp->ProcessIdle();
    }
    // Resized and laid out: gauges placed at once on the size event, then the
    // dial's layers rebuilt and everything painted.
    bool Resize(const wxSize& size)
    {
        frame->SetSize(size);
        TarnGauge* dial = frame->GetAnalogGauge();
        return WaitFor([&] {
            const DashboardLayout& placed = frame->GetLayout();
            if (placed.dial != LayOutDashboard(frame->GetClientSize()).dial)
                return false; // the size event has not arrived yet
            dial->Update();
            for (int i = 0; i < MainFrame::kDigitalGaugeCount; ++i)
                frame->GetDigitalGauge(i)->Update();
            const TarnGauge::Snapshot s = dial->GetSnapshot();
            return !s.needsRebuild && s.layout.width == placed.dial.width;
        });
    }

    MainFrame* frame = nullptr;
};

// 800 x 480 and one pixel less high in turn: each is a new size for the dial.
void BM_RelayoutAt800x480(benchmark::State& state)
{
    Dashboard dash;
    bool tall = false;
    for (auto _ : state) {
        tall = !tall;
        if (!dash.Resize(wxSize(800, tall ? 480 : 479)))
            state.SkipWithError("the layout did not follow the size");
    }
    state.counters["dial_side"] = dash.frame->GetLayout().dial.width;
}
BENCHMARK(BM_RelayoutAt800x480)->Unit(benchmark::kMillisecond)->UseRealTime();

// SetValue on the dial, then Update() to paint the invalidated boxes now.
void BM_DialValueUpdateAt800x480(benchmark::State& state)
{
    Dashboard dash;
    TarnGauge* dial = dash.frame->GetAnalogGauge();
    double v = 4000;
    for (auto _ : state) {
        v = v == 4000 ? 4100 : 4000;
        dial->SetValue(v);
        dial->Update();
    }
    state.counters["dial_side"] = dash.frame->GetLayout().dial.width;
}
BENCHMARK(BM_DialValueUpdateAt800x480)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

