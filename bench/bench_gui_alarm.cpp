// GUI-thread time of the danger flash: a 240 x 320 frame with the dial and
// four digital gauges, every value in danger (all flashing) or every value
// inside its limits (none), the event loop left to run for two seconds.
// cpu_ms_per_frame: the thread's CPU time per half period of the flash, in
// which each flashing gauge repaints its value once. Runs under Xvfb.
#include "bench/GuiBenchMain.h" // main()
#include "gaugemodel/AlarmState.h"
#include "gaugemodel/TARNGaugeDesc.h"
#include "gauges/DefaultLook.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"

#include <benchmark/benchmark.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <ctime>

namespace {

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void RunLoopFor(int ms)
{
    wxEventLoop loop;
    wxTimer stop;
    stop.Bind(wxEVT_TIMER, [&loop](wxTimerEvent&) { loop.Exit(); });
    stop.StartOnce(ms);
    loop.Run();
}

void Flash(benchmark::State& state)
{
    const bool danger = state.range(0) != 0;
    TARNGaugeDesc desc;
    desc.setName("cltGauge");
    desc.setSymbolName("coolant");
    desc.setTitle("Coolant");
    desc.setUnits("C");
    desc.setMinValue(-40);
    desc.setMaxValue(120);
    desc.addRedRange(-40, -30);
    desc.addOrangeRange(-30, 0);
    desc.addOrangeRange(95, 105);
    desc.addRedRange(105, 120);
    const GaugeDescList list{&desc};
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "bench", wxPoint(0, 0), wxSize(240, 320));
    KeepDefaultLook(frame); // as the dashboard's frame does
    TarnGauge* dial = new TarnGauge(frame, wxID_ANY, wxPoint(15, 5), wxSize(210, 210), false, &list);
    dial->SetDefaultGaugeDesc("coolant");
    std::vector<GaugeListener*> gauges{dial};
    for (int i = 0; i < 4; ++i)
        gauges.push_back(new TarnGaugeDigital(frame, &list, "coolant", (i % 2) * 120, 220 + (i / 2) * 40, 118));
    frame->Show();
    RunLoopFor(300); // shown and painted once
    for (GaugeListener* g : gauges)
        g->SetValue(danger ? 112 : 50);
    const int kRunMs = 2000;
    for (auto _ : state) {
        const double before = ThreadCpuMs();
        RunLoopFor(kRunMs);
        const double used = ThreadCpuMs() - before;
        state.SetIterationTime(used / 1e3);
        state.counters["cpu_ms_per_frame"] = used / (kRunMs / double(AlarmState::kFlashHalfMs));
    }
    frame->Destroy();
    wxTheApp->ProcessIdle();
}
BENCHMARK(Flash)->Arg(1)->Arg(0)->ArgName("danger")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
