#pragma once
// main() of the benchmark programs that draw: the toolkit started without a
// command line of its own, the gauges' trace written to a real file as the
// dashboard does, the standard-error traces off, then every benchmark of the
// program. Include once per program.
#include "base/StderrTrace.h"
#include "gauges/SevenSegmentFont.h"

#include <benchmark/benchmark.h>
#include <wx/app.h>
#include <wx/log.h>

#include <cstdio>

class GuiBenchApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

wxIMPLEMENT_APP_NO_MAIN(GuiBenchApp);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RegisterSevenSegmentFace();
    if (!wxEntryStart(argc, argv))
        return 2;
    wxTheApp->CallOnInit();
    delete wxLog::SetActiveTarget(new wxLogStderr(std::tmpfile()));
    RouteStderrTraces({nullptr, false});
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
