// tarn-ecu-sim: an ECU on a pseudo-terminal, for demos and for testing the
// dashboard's serial line. See SimUsage() for the options.
#include "base/AssertHandler.h"
#include "definition/IniParser.h"
#include "tools/tarn-ecu-sim/DatalogPlayer.h"
#include "tools/tarn-ecu-sim/EngineModel.h"
#include "tools/tarn-ecu-sim/RuntimeBlock.h"
#include "tools/tarn-ecu-sim/SimOptions.h"
#include "tools/tarn-ecu-sim/Simulator.h"

#include <wx/init.h>
#include <wx/log.h>

#include <csignal>
#include <cstdio>
#include <memory>
#include <random>

namespace {

volatile std::sig_atomic_t gStop = 0;

void OnStopSignal(int)
{
    gStop = 1;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "tarn-ecu-sim: %s\n", message.c_str());
    return 1;
}

// The block layout: from the definition file when one is given.
bool MakeLayout(const SimOptions& options, BlockLayout& layout, std::string& error)
{
    if (options.ini.empty()) {
        layout = DefaultLayout(options.replyLength);
        return true;
    }
    wxArrayString warnings;
    int result = 0;
    std::unique_ptr<SymbolTable> table(
        loadDefinitionFileFrom(wxString::FromUTF8(options.ini), &warnings, &result));
    if (result != 0) {
        error = "cannot read definition file " + options.ini;
        return false;
    }
    size_t skipped = 0;
    layout = LayoutFromTable(*table, options.replyLength, &skipped);
    if (!warnings.empty())
        std::fprintf(stderr, "tarn-ecu-sim: %s: %zu warnings (see tarntool check)\n",
                     options.ini.c_str(), warnings.size());
    if (skipped)
        std::fprintf(stderr, "tarn-ecu-sim: %zu output channels lie beyond the %zu-byte block\n",
                     skipped, options.replyLength);
    if (layout.empty())
        std::fprintf(stderr, "tarn-ecu-sim: %s lays out no output channel; the block is zeros\n",
                     options.ini.c_str());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    SimOptions options;
    std::string error;
    const OptionsOutcome outcome =
        ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), options, error);
    if (outcome == OptionsOutcome::Help) {
        std::fputs(SimUsage(), stdout);
        return 0;
    }
    if (outcome == OptionsOutcome::Error) {
        std::fprintf(stderr, "tarn-ecu-sim: %s\nTry 'tarn-ecu-sim --help'.\n", error.c_str());
        return 2;
    }

    wxInitializer initializer;
    if (!initializer.IsOk())
        return Fail("cannot initialise wxWidgets");
    InstallLoggingAssertHandler();
    // The definition reader traces every line; nobody reads that here.
    wxLog::EnableLogging(false);

    BlockLayout layout;
    if (!MakeLayout(options, layout, error))
        return Fail(error);
    std::unique_ptr<ValueSource> source;
    if (!options.datalog.empty()) {
        auto player = std::make_unique<DatalogPlayer>();
        if (!player->load(wxString::FromUTF8(options.datalog), error))
            return Fail(options.datalog + ": " + error);
        size_t missing = 0;
        for (const BlockChannel& channel : layout)
            if (player->column(channel.name) < 0)
                ++missing;
        if (missing)
            std::fprintf(stderr, "tarn-ecu-sim: %zu of %zu channels have no datalog column; they read 0\n",
                         missing, layout.size());
        source = std::move(player);
    } else {
        source = std::make_unique<EngineModel>();
    }
    RuntimeBlock block(std::move(layout), options.replyLength, *source);
    EcuFirmware firmware(options.mode, [&block]() { return block.next(); });
    FaultInjector faults(options.faults, options.haveSeed ? options.seed : std::random_device()());
    SimLog log;
    if (!options.log.empty() && !log.open(options.log, error))
        return Fail(error);

    // The stop signals stay blocked except while the loop waits, so none can
    // slip in between checking the flag and going to sleep.
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    sigset_t stopSignals;
    sigset_t waitMask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGHUP);

    LineSettings line;
    line.link = options.link;
    line.hangupAfter = options.hangupAfter;
    Simulator simulator(firmware, faults, log, line, stdout);
    if (!simulator.start(error))
        return Fail(error);
    const int status = simulator.run(gStop, &waitMask, error);
    simulator.shutdown();
    log.line(status == 0 ? "stopped" : "failed: " + error);
    if (status != 0)
        return Fail(error);
    return 0;
}
