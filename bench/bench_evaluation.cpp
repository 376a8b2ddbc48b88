// Evaluation speed of a typical derived channel, with the debug log going to a
// file as in the dashboard and with logging switched off
// (wxLog::EnableLogging(false)); and the allocations per evaluation of a long
// numeric text, which must not grow with its length.
#include "bench/BenchMain.h" // main()
#include "expr/ChannelHistory.h"
#include "expr/CompiledExpression.h"
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

// The same channel in the dialect of other firmwares' files: compiled once,
// then run each tick over slots.
class Slots : public ExpressionScope, public ExpressionSources {
public:
    int slotOf(const wxString& name, bool) override
    {
        return name == "rpm" ? 0 : name == "pulseWidth" ? 1 : name == "cylinders" ? 2 : -1;
    }
    int tableOf(const wxString&) override { return -1; }
    int arrayOf(const wxString&) override { return -1; }
    double value(int slot) const override { return values[slot]; }
    double seconds() const override { return 0; }
    bool celsius() const override { return true; }
    std::optional<double> lookup(int, double) const override { return std::nullopt; }
    const std::vector<double>* array(int) const override { return nullptr; }
    const ChannelHistory* history(int) const override { return nullptr; }

    double values[3] = {3000, 4.2, 4};
};

void BM_DerivedChannel_Compiled(benchmark::State& state)
{
    Slots slots;
    const CompiledExpression compiled = CompiledExpression::compile(kDerivedChannel, slots);
    const long before = AllocationCount();
    for (auto _ : state)
        benchmark::DoNotOptimize(compiled.evaluate(slots));
    state.SetItemsProcessed(state.iterations());
    state.counters["allocs_per_eval"] =
        static_cast<double>(AllocationCount() - before) / static_cast<double>(state.iterations());
}

} // namespace

BENCHMARK(BM_DerivedChannel_Compiled);
BENCHMARK(BM_DerivedChannel_LogToFile);
BENCHMARK(BM_DerivedChannel_LoggingOff);
BENCHMARK(BM_LongNumericText_LoggingOff)->Arg(10)->Arg(1000);
