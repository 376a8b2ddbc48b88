#pragma once
// main() of the benchmark programs that need no display: the toolkit's base
// started, then every benchmark of the program. Include once per program.
// Before the include, a program may define TARN_BENCH_QUIET (the debug log
// and the traces switched off: they would cost more than what is measured),
// or TARN_BENCH_OWN_OPTIONS and a function `int OwnOptions(int, char**)`
// that handles a command line of its own: -1 to go on with the benchmarks,
// otherwise the program's exit status.
#include "base/StderrTrace.h"

#include <benchmark/benchmark.h>
#include <wx/init.h>
#include <wx/log.h>

#ifdef TARN_BENCH_OWN_OPTIONS
int OwnOptions(int argc, char** argv);
#endif

int main(int argc, char** argv)
{
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 2;
#ifdef TARN_BENCH_QUIET
    wxLog::EnableLogging(false);
    RouteStderrTraces({nullptr, false});
#endif
#ifdef TARN_BENCH_OWN_OPTIONS
    const int own = OwnOptions(argc, argv);
    if (own >= 0)
        return own;
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
