// `make soak`: a day of the dashboard's inputs in minutes, without a display
// and without waiting in real time. Four phases, each through the real
// input code with the debug log on (in a folder of its own):
//   1. ECU ticks against the simulator's firmware with every fault on;
//   2. hang-up and replug cycles of the serial adapter (in memory);
//   3. hang-up cycles of the simulator's pseudo-terminal (real time);
//   4. File replay ticks of a generated datalog.
// Prints a table of figures; exits 1 when a phase missed a goal (a value
// shown as live that was never sent, memory growth after the warm-up,
// a descriptor or thread leak, a debug log beyond twice its limit).
#include "base/DebugLog.h"
#include "base/StderrTrace.h"
#include "definition/IniParser.h"
#include "definition/SymbolTable.h"
#include "tests/soak/EcuSoak.h"
#include "tests/soak/PtySoak.h"
#include "tests/soak/ReplaySoak.h"
#include "tests/support/TempDir.h"

#include <wx/init.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

const char* const kUsage =
    "usage: tarn_soak [--scale F] [--ticks N] [--hangups N] [--pty-hangups N] [--replay N]\n"
    "                 [--log-limit BYTES] [--seed N]\n"
    "  a day: 288000 ECU ticks with faults (300 ms each), 1000 hang-ups in memory,\n"
    "  1000 hang-ups on a pty, 100000 replay ticks; --scale multiplies them all\n"
    "  (given before the counts); the dashboard's log limit of 8388608 bytes; seed 1\n";

struct Options {
    long ticks = 288000;
    long hangups = 1000;
    long ptyHangups = 1000;
    long replay = 100000;
    uint64_t logLimit = kDefaultDebugLogLimit;
    uint64_t seed = 1;
};

bool ParseCount(const char* text, unsigned long long& value)
{
    if (!text || !*text || std::strspn(text, "0123456789") != std::strlen(text))
        return false;
    errno = 0;
    value = std::strtoull(text, nullptr, 10);
    return errno == 0;
}

bool ParseScale(const char* text, double& scale)
{
    if (!text || !*text || std::strspn(text, "0123456789.") != std::strlen(text))
        return false;
    char* end = nullptr;
    scale = std::strtod(text, &end);
    return *end == '\0' && scale > 0 && scale <= 100;
}

long Scaled(long count, double scale)
{
    return std::max(1L, std::lround(static_cast<double>(count) * scale));
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc)
            return false;
        const std::string name = argv[i];
        const char* text = argv[i + 1];
        if (name == "--scale") {
            double scale = 0;
            if (!ParseScale(text, scale))
                return false;
            options.ticks = Scaled(options.ticks, scale);
            options.hangups = Scaled(options.hangups, scale);
            options.ptyHangups = Scaled(options.ptyHangups, scale);
            options.replay = Scaled(options.replay, scale);
            continue;
        }
        unsigned long long value = 0;
        if (!ParseCount(text, value) || value > 1000000000ULL)
            return false;
        if (name == "--ticks")
            options.ticks = static_cast<long>(value);
        else if (name == "--hangups")
            options.hangups = static_cast<long>(value);
        else if (name == "--pty-hangups")
            options.ptyHangups = static_cast<long>(value);
        else if (name == "--replay")
            options.replay = static_cast<long>(value);
        else if (name == "--log-limit")
            options.logLimit = value;
        else if (name == "--seed")
            options.seed = value;
        else
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 2;
    const TempDir folder;
    // As the dashboard runs: the protocol's traces into the debug log only.
    InitDebugLog(wxString::FromUTF8(folder.path), options.logLimit);
    RouteStderrTraces({nullptr, true});
    std::unique_ptr<SymbolTable> table(
        loadDefinitionFileFrom(TARN_SAMPLE_DIR "/tarnv3.ini", nullptr, nullptr));
    if (!table) {
        std::fputs("tarn_soak: cannot read " TARN_SAMPLE_DIR "/tarnv3.ini\n", stderr);
        return 2;
    }

    std::vector<PhaseFigures> phases;
    if (options.ticks > 0) {
        EcuSoakPlan faults;
        faults.name = "ECU, every fault";
        faults.ticks = options.ticks;
        faults.faults.noise = 0.05;
        faults.faults.drop = 0.05;
        faults.faults.shortReply = 0.05;
        faults.faults.longReply = 0.05;
        faults.faults.stallMs = 500;
        faults.faults.stallRate = 0.05;
        faults.seed = options.seed;
        phases.push_back(RunEcuSoak(*table, faults, folder.path));
    }
    if (options.hangups > 0) {
        EcuSoakPlan replug;
        replug.name = "ECU, hang-ups";
        replug.hangups = options.hangups;
        // The running signature that finds the ECU on the new line, then the data.
        replug.answersPerPlug = 2;
        // Up to one more than the open attempts: sometimes the port cannot be opened.
        replug.maxFailedOpens = 4;
        replug.newInputEvery = 100;
        replug.seed = options.seed;
        replug.sampleEvery = 100;
        phases.push_back(RunEcuSoak(*table, replug, folder.path));
    }
    if (options.ptyHangups > 0) {
        PtySoakPlan pty;
        pty.cycles = options.ptyHangups;
        phases.push_back(RunPtySoak(*table, pty, folder.path));
    }
    if (options.replay > 0) {
        ReplaySoakPlan replay;
        replay.ticks = options.replay;
        replay.records = std::min(10000L, options.replay);
        phases.push_back(RunReplaySoak(replay, folder.path));
    }

    SoakGoals goals;
    goals.logLimit = options.logLimit;
    PrintSoakTable(stdout, phases, goals);
    int missed = 0;
    for (const PhaseFigures& phase : phases)
        for (const std::string& line : MissedGoals(phase, goals)) {
            std::printf("FAIL %s\n", line.c_str());
            ++missed;
        }
    if (missed == 0)
        std::printf("soak passed\n");
    std::fflush(stdout);

    InitDebugLog(wxString::FromUTF8(folder.path), 0); // lets go of the files
    return missed == 0 ? 0 : 1;
}
