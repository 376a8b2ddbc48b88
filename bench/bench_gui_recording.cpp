// Recording the live session: the GUI-thread time that writing one fresh ECU
// record costs after a refresh tick (LiveRecording::Add: the values of the
// definition file's [Datalog] channels taken from the record, computed ones
// evaluated over it, the line
// formatted, and once a second the write and the request to sync), next to
// the time of the tick itself. The real main frame with the ECU input on the
// simulator at 9600 baud; every tick takes a fresh record. Runs under Xvfb.
#include "bench/GuiBenchMain.h" // main()
#include "app/EcuSession.h"
#include "datalog/LiveRecording.h"
#include "app/MainFrame.h"
#include "base/DebugLog.h"
#include "base/StderrTrace.h"
#include "definition/SymbolTable.h"
#include "dispatch/GaugeUpdater.h"
#include "ecu/RTDataMgrSerial.h"
#include "tests/app/FrameDriver.h"
#include "tests/support/SimProcess.h"
#include "tests/gauges/GuiClick.h"

#include <benchmark/benchmark.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/menu.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1))];
}

void BM_RecordingPerTick(benchmark::State& state)
{
    SimProcess sim({"--ini", std::string(TARN_SAMPLE_DIR) + "/tarnv3.ini"});
    {
        std::ifstream in(std::string(TARN_SAMPLE_DIR) + "/tarnv3.ini", std::ios::binary);
        std::ofstream(sim.dir.file("tarnv3.ini"), std::ios::binary) << in.rdbuf();
    }
    wxSetWorkingDirectory(sim.dir.path);
    // The dashboard's own debug log, which every evaluation traces into.
    InitDebugLog(sim.dir.path, kDefaultDebugLogLimit);
    RouteStderrTraces({nullptr, true});
    MainFrame* frame = new MainFrame("V3 GUI for WinCE");
    frame->Show();
    WaitShownOnScreen(frame);
    SelectInput(frame, ID_INPUT_ECU);
    frame->GetTimer().Stop(); // ticks come from here, each after a finished fetch
    RTDataMgrSerial* input = dynamic_cast<RTDataMgrSerial*>(frame->GetDispatcher()->GetInput());
    auto tick = [&] {
        input->waitForFetch();
        wxTimerEvent event(frame->GetTimer());
        const auto start = Clock::now();
        frame->ProcessWindowEvent(event);
        return Ms(Clock::now() - start).count();
    };
    for (int i = 0; i < 50 && input->getRecordSequence() == 0; ++i)
        tick();
    LiveRecording recording;
    if (!input->getRecordSequence() ||
        !recording.Start(sim.dir.path + "/logs", "tarnv3.ini", *currentSymbolTable(), input->getRecordSequence(),
                         EcuSession::ComputeOf(*input))) {
        state.SkipWithError("no ECU records, or cannot record");
        return;
    }
    std::vector<double> ticks, records;
    long fresh = 0;
    for (auto _ : state) {
        const uint64_t before = input->getRecordSequence();
        ticks.push_back(tick());
        fresh += input->getRecordSequence() != before;
        const auto start = Clock::now();
        EcuSession::AddRecord(recording, *input);
        const Ms took = Clock::now() - start;
        records.push_back(took.count());
        state.SetIterationTime(took.count() / 1e3);
    }
    recording.Stop();
    state.counters["record_median_ms"] = Percentile(records, 0.5);
    state.counters["record_p90_ms"] = Percentile(records, 0.9);
    state.counters["record_max_ms"] = Percentile(records, 1.0);
    state.counters["tick_median_ms"] = Percentile(ticks, 0.5);
    state.counters["fresh_records"] = static_cast<double>(fresh);
    state.counters["file_bytes"] = wxFileName::GetSize(recording.GetPath()).ToDouble();
    frame->Destroy();
    wxTheApp->ProcessIdle();
}
BENCHMARK(BM_RecordingPerTick)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(100);

} // namespace
