// Evaluation speed of a typical derived channel, with the debug log going to a
// file as in the dashboard and with logging switched off
// (wxLog::EnableLogging(false)); and the allocations per evaluation of a long
// numeric text, which must not grow with its length.
#include "bench/BenchMain.h" // main()
#include "expr/Evaluation.h"
#include "tests/support/AllocationCounter.h"

#include <benchmark/benchmark.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>

namespace {

const char* const kDerivedChannel = "rpm > 0 ? (pulseWidth * rpm) / (1200 * cylinders) : 0";

void fillTable(ValueMap& table)
{
    table["rpm"] = 3000;
    table["pulseWidth"] = 4.2;
    table["cylinders"] = 4;
}

void run(benchmark::State& state, const wxString& text)
{
    Evaluation evaluation;
    ValueMap table;
    fillTable(table);
    evaluation.setTable(&table);
    evaluation.evaluate(text);
    const long before = AllocationCount();
    for (auto _ : state)
        benchmark::DoNotOptimize(evaluation.evaluate(text));
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.length()));
    state.counters["allocs_per_eval"] =
        static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations());
}

void BM_DerivedChannel_LogToFile(benchmark::State& state)
{
    FILE* file = std::tmpfile();
    auto* target = new wxLogStderr(file);
    wxLog* previous = wxLog::SetActiveTarget(target);
    run(state, kDerivedChannel);
    wxLog::SetActiveTarget(previous);
    delete target;
    std::fclose(file);
}

void BM_DerivedChannel_LoggingOff(benchmark::State& state)
{
    const bool was = wxLog::EnableLogging(false);
    run(state, kDerivedChannel);
    wxLog::EnableLogging(was);
}

// "1 + 1.5 * (2 - 0.5) / 3 + ..." with state.range(0) parts.
void BM_LongNumericText_LoggingOff(benchmark::State& state)
{
    wxString text("1");
    for (int64_t i = 0; i < state.range(0); ++i)
        text += " + 1.5 * (2 - 0.5) / 3";
    const bool was = wxLog::EnableLogging(false);
    run(state, text);
    wxLog::EnableLogging(was);
}

} // namespace

BENCHMARK(BM_DerivedChannel_LogToFile);
BENCHMARK(BM_DerivedChannel_LoggingOff);
BENCHMARK(BM_LongNumericText_LoggingOff)->Arg(10)->Arg(1000);
