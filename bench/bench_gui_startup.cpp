// Start to first values: a fresh process starts the dashboard as tarndash does
// (toolkit, application object, definition file, frame, gauges) with the
// replayed sample datalog as its input, and reports when the first values of
// the log reached the dial and were painted. Each run is a new process, so the
// toolkit's start-up is counted every time. Runs under Xvfb.
#include "app/MainApp.h"
#include "app/MainFrame.h"
#include "dispatch/GaugeUpdater.h"
#include "gauges/SevenSegmentFont.h"
#include "gauges/TarnGauge.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

wxIMPLEMENT_APP_NO_MAIN(MainApp);

namespace {

// In the child: start, wait for the first values on the dial, say so, quit.
[[noreturn]] void StartDashboard(int reportFd, const std::string& dir)
{
    if (chdir(dir.c_str()) != 0)
        _exit(3);
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1); // nothing remembered
    DashboardOptions options;
    options.iniFile = TARN_SAMPLE_DIR "/tarnv3.ini";
    options.datalogFile = TARN_SAMPLE_DIR "/datalog.log";
    options.input = InputChoice::File;
    RegisterSevenSegmentFace();
    wxApp::SetInstance(new MainApp(options));
    int argc = 1;
    char name[] = "tarndash";
    char* argv[] = {name, nullptr};
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
        _exit(4);
    MainFrame* frame = dynamic_cast<MainFrame*>(wxTheApp->GetTopWindow());
    if (!frame)
        _exit(5);
    TarnGauge* dial = frame->GetAnalogGauge();
    wxStopWatch watch;
    while (watch.Time() < 5000) {
        const ValueMap& values = frame->GetDispatcher()->GetValues();
        if (values.find("rpm") != values.end() && dial->GetSnapshot().value > 0) {
            dial->Update(); // painted
            const char done = 1;
            if (write(reportFd, &done, 1) != 1)
                _exit(6);
            _exit(0);
        }
        wxYield();
        wxMilliSleep(1);
    }
    _exit(7);
}

void BM_StartToFirstValues(benchmark::State& state)
{
    for (auto _ : state) {
        const TempDir dir;
        int fds[2];
        if (pipe(fds) != 0) {
            state.SkipWithError("pipe");
            return;
        }
        const auto started = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            close(fds[0]);
            StartDashboard(fds[1], dir.path);
        }
        close(fds[1]);
        char done = 0;
        const bool reported = read(fds[0], &done, 1) == 1;
        const auto ended = std::chrono::steady_clock::now();
        close(fds[0]);
        int status = 0;
        waitpid(child, &status, 0);
        if (!reported) {
            state.SkipWithError("the dashboard showed no values");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(ended - started).count());
    }
}
BENCHMARK(BM_StartToFirstValues)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
