// tarn-ecu-sim: an ECU on a pseudo-terminal, for demos and for testing the
// dashboard's serial line. See SimUsage() for the options.
#include "base/AssertHandler.h"
#include "definition/IniParser.h"
#include "tools/tarn-ecu-sim/PageImage.h"
#include "tools/tarn-ecu-sim/DatalogPlayer.h"
#include "tools/tarn-ecu-sim/EcuFirmware.h"
#include "tools/tarn-ecu-sim/EngineModel.h"
#include "tools/tarn-ecu-sim/GenericFirmware.h"
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

// Notes an option that has no effect on the firmware being served.
void Unused(bool given, const char* what)
{
    if (given)
        std::fprintf(stderr, "tarn-ecu-sim: %s\n", what);
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

    // The block layout: from the definition file when one is given.
    std::unique_ptr<SymbolTable> table;
    if (!options.ini.empty()) {
        wxArrayString warnings;
        int result = 0;
        DefinitionOptions definition;
        definition.tuneFile = wxString::FromUTF8(options.tune);
        table.reset(loadDefinitionFileFrom(wxString::FromUTF8(options.ini), definition, &warnings,
                                           &result));
        if (result != 0 || !table)
            return Fail("cannot read definition file " + options.ini);
        for (const wxString& warning : warnings)
            if (warning.StartsWith("Tune file not read"))
                return Fail(warning.utf8_string());
        if (!warnings.empty())
            std::fprintf(stderr, "tarn-ecu-sim: %s: %zu warnings (see tarntool check)\n",
                         options.ini.c_str(), warnings.size());
    }
    // A file of another firmware is served as it describes its link.
    const bool generic = table && !table->getLinkSettings().isBuiltInFirmware();
    LinkSettings link = table ? table->getLinkSettings() : LinkSettings();
    size_t length = options.replyLength;
    if (generic) {
        length = static_cast<size_t>(table->getBlockSize());
        if (length == 0)
            return Fail(options.ini + " gives no runtime data block (no ochBlockSize, no channel)");
        Unused(options.replyLengthGiven, "--reply-length is for the built-in firmware; the block "
                                         "is the definition file's");
        Unused(options.mode != EcuMode::Run, "--mode is for the built-in firmware");
        if (options.signatureGiven)
            link.signature = options.signature;
    } else {
        Unused(options.baudGiven, "--baud is for another firmware; the built-in firmware keeps "
                                  "the speeds of its modes");
        Unused(options.signatureGiven, "--signature is for another firmware");
    }
    BlockLayout layout;
    if (table) {
        size_t skipped = 0;
        layout = LayoutFromTable(*table, length, &skipped);
        if (skipped)
            std::fprintf(stderr, "tarn-ecu-sim: %zu output channels lie beyond the %zu-byte block\n",
                         skipped, length);
        if (layout.empty())
            std::fprintf(stderr, "tarn-ecu-sim: %s lays out no output channel; the block is zeros\n",
                         options.ini.c_str());
    } else {
        layout = DefaultLayout(length);
    }
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
    // The built-in firmware's block is big-endian whatever the file says.
    RuntimeBlock block(std::move(layout), length, *source,
                       generic ? link.endianness : ByteOrder::Big);
    FaultInjector faults(options.faults, options.haveSeed ? options.seed : std::random_device()());
    std::unique_ptr<SerialFirmware> firmware;
    if (generic) {
        size_t written = 0;
        std::vector<std::string> pages = BuildPageImage(*table, &written);
        if (!pages.empty())
            std::fprintf(stderr, "tarn-ecu-sim: %zu pages of constants, %zu constants with a value\n",
                         pages.size(), written);
        auto described = std::make_unique<GenericFirmware>(link, length, options.baud,
                                                           [&block]() { return block.next(); }, faults,
                                                           std::move(pages));
        if (!described->problem().empty())
            return Fail(options.ini + ": " + described->problem());
        firmware = std::move(described);
    } else {
        firmware = std::make_unique<EcuFirmware>(options.mode, [&block]() { return block.next(); });
    }
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
    Simulator simulator(*firmware, faults, log, line, stdout);
    if (!simulator.start(error))
        return Fail(error);
    const int status = simulator.run(gStop, &waitMask, error);
    simulator.shutdown();
    log.line(status == 0 ? "stopped" : "failed: " + error);
    if (status != 0)
        return Fail(error);
    return 0;
}
