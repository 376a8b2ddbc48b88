// Recording a live session: the GUI-thread time each fresh ECU record costs,
// with the sample definition file's [Datalog] channels. The values come
// either ready-made, or from the ECU input as the dashboard would take them
// after its tick: plain channels from the decoded values (no trace per
// value), computed ones through GetValue (which evaluates and traces).
#include "bench/BenchMain.h" // main()
#include "datalog/SessionRecorder.h"
#include "definition/IniParser.h"
#include "definition/SymbolTable.h"
#include "ecu/RTDataMgrSerial.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <memory>

namespace {

enum class Source {
    Given,          // values ready-made: the recorder alone
    EcuInput,       // from the ECU input, computed channels traced to the debug log
    EcuInputQuiet,  // the same with the debug log off while the values are gathered
};

void Record(benchmark::State& state, Source source)
{
    std::unique_ptr<SymbolTable> table;
    {
        wxLogNull quiet;
        table.reset(loadDefinitionFileFrom(TARN_SAMPLE_DIR "/tarnv3.ini"));
    }
    // The dashboard's debug log is a file; the ECU input traces every value into it.
    const TempDir folder;
    FILE* logFile = std::fopen(folder.file("filelog.txt").c_str(), "w");
    SessionRecorder recorder;
    if (!logFile || !recorder.Start(folder.path, "tarnv3.ini", RecordedChannelsOf(*table), wxDateTime::Now())) {
        state.SkipWithError("cannot record");
        return;
    }
    wxLogStderr fileLog(logFile);
    wxLog* previous = wxLog::SetActiveTarget(&fileLog);
    RTDataMgrSerial ecu(nullptr, table.get());
    ecu.fillScalarValues(); // the tick's own work, done before the recorder's turn
    const ValueMap& decoded = ecu.getScalarValues();
    std::vector<double> values(recorder.GetChannels().size(), 0.0);
    double seconds = 0;
    long records = 0;
    for (auto _ : state) {
        if (source != Source::Given) {
            std::unique_ptr<wxLogNull> quiet(source == Source::EcuInputQuiet ? new wxLogNull : nullptr);
            for (size_t i = 0; i < values.size(); ++i) {
                const wxString& name = recorder.GetChannels()[i].name;
                const ValueMap::const_iterator plain = decoded.find(name);
                values[i] = plain != decoded.end() ? plain->second : ecu.GetValue(name);
            }
        } else {
            for (size_t i = 0; i < values.size(); ++i)
                values[i] = 1000.0 + records % 1000 * 0.37 + static_cast<double>(i);
        }
        recorder.Append(seconds, values);
        seconds += 0.1;
        ++records;
    }
    recorder.Stop();
    const double bytes = wxFileName::GetSize(recorder.GetPath()).ToDouble();
    state.counters["channels"] = static_cast<double>(values.size());
    state.counters["hour_at_10Hz_MB"] = records > 0 ? bytes / static_cast<double>(records) * 36000 / 1e6 : 0;
    wxLog::SetActiveTarget(previous);
    std::fclose(logFile);
}

void BM_RecordAppend(benchmark::State& state) { Record(state, Source::Given); }
void BM_RecordFromEcuInput(benchmark::State& state) { Record(state, Source::EcuInput); }
void BM_RecordFromEcuInputQuiet(benchmark::State& state) { Record(state, Source::EcuInputQuiet); }
BENCHMARK(BM_RecordAppend)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordFromEcuInput)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordFromEcuInputQuiet)->Unit(benchmark::kMicrosecond);

} // namespace
