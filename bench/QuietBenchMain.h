#pragma once
// main() of the benchmark programs of the serial link: the toolkit's base
// started, the debug log and the traces switched off (they would cost more
// than the link itself), then every benchmark of the program. Include once
// per program.
#include "base/StderrTrace.h"

#include <benchmark/benchmark.h>
#include <wx/init.h>
#include <wx/log.h>

int main(int argc, char** argv)
{
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 2;
    wxLog::EnableLogging(false);
    RouteStderrTraces({nullptr, false});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
