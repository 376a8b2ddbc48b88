// Cost of the analog dial: a full rebuild of its layers, a face-only rebuild,
// and a value update with the paint it causes. Runs under Xvfb.
#include "bench/GuiBenchMain.h" // main()
#include "gauges/SevenSegmentFont.h"
#include "gaugemodel/TARNGaugeDesc.h"
#include "gauges/TarnGauge.h"

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <cstdio>
#include <memory>

namespace {

// One shown 210 x 210 rpm dial on a 240 x 320 frame, as on the dashboard.
struct Dial {
    Dial()
    {
        desc.setSymbolName("rpm");
        desc.setUnits("RPM");
        desc.setMinValue(0);
        desc.setMaxValue(8000);
        desc.setMajorDivisions(8);
        desc.setScaleFactor(1000);
        desc.addOrangeRange(6000, 7000);
        desc.addRedRange(7000, 8000);
        list.push_back(&desc);
        frame = new wxFrame(nullptr, wxID_ANY, "bench", wxPoint(0, 0), wxSize(240, 320),
                            wxFRAME_SHAPED | wxBORDER_NONE);
        // A frame stretches a single child over its client area; a second,
        // tiny one keeps the dial at 210.
        new wxWindow(frame, wxID_ANY, wxPoint(0, 0), wxSize(1, 1));
        gauge = new TarnGauge(frame, wxID_ANY, wxPoint(15, 5), wxSize(210, 210), false, &list);
        gauge->SetDefaultGaugeDesc("rpm");
        gauge->Bind(wxEVT_PAINT, [this](wxPaintEvent& e) {
            ++paints;
            e.Skip();
        });
        frame->Show();
        for (int i = 0; i < 200 && paints == 0; ++i) {
            wxYield();
            wxMilliSleep(5);
        }
    }
    ~Dial()
    {
        frame->Destroy();
        wxTheApp->ProcessIdle();
    }

    TARNGaugeDesc desc;
    GaugeDescList list;
    wxFrame* frame = nullptr;
    TarnGauge* gauge = nullptr;
    long paints = 0;
};

void BM_DialFullRebuild(benchmark::State& state)
{
    Dial dial;
    for (auto _ : state) {
        dial.gauge->CalculateSize();
        dial.gauge->paintGaugeBg(63);
    }
}
BENCHMARK(BM_DialFullRebuild)->Unit(benchmark::kMillisecond);

void BM_DialFaceOnly(benchmark::State& state)
{
    Dial dial;
    for (auto _ : state)
        dial.gauge->paintGaugeBg(0);
}
BENCHMARK(BM_DialFaceOnly)->Unit(benchmark::kMillisecond);

// SetValue on a shown gauge, then Update() to paint the invalidated boxes now.
void BM_DialValueUpdate(benchmark::State& state)
{
    Dial dial;
    const long before = dial.paints;
    double v = 4000;
    for (auto _ : state) {
        v = v == 4000 ? 4100 : 4000;
        dial.gauge->SetValue(v);
        dial.gauge->Update();
    }
    state.counters["paints_per_update"] =
        benchmark::Counter(double(dial.paints - before) / double(state.iterations()));
}
BENCHMARK(BM_DialValueUpdate)->Unit(benchmark::kMicrosecond);

// The same with the whole dial drawn into an off-screen 210 x 210 context: the
// paint handler's work without the window system's copy.
void BM_DialValueUpdateDrawn(benchmark::State& state)
{
    Dial dial;
    wxBitmap target(210, 210, 24);
    wxMemoryDC dc(target);
    double v = 4000;
    for (auto _ : state) {
        v = v == 4000 ? 4100 : 4000;
        dial.gauge->SetValue(v);
        dial.gauge->PaintTo(dc);
    }
}
BENCHMARK(BM_DialValueUpdateDrawn)->Unit(benchmark::kMicrosecond);

// A steady engine: the same value every tick costs no paint.
void BM_DialSteadyValue(benchmark::State& state)
{
    Dial dial;
    dial.gauge->SetValue(4000);
    for (auto _ : state)
        dial.gauge->SetValue(4000);
}
BENCHMARK(BM_DialSteadyValue)->Unit(benchmark::kMicrosecond);

} // namespace

