// tarntool live FILE [--ticks N] [--period MS] [--baud N] [--rate HZ] [--verbose] NAME...:
// reads the ECU on the dashboard's serial port through the dashboard's own
// ECU input (its worker thread included), N ticks MS ms apart, one JSON
// object of the NAMEs' values per tick; each tick waits for its own fetch.
// With --rate the worker fetches HZ times a second on its own instead, and
// each tick shows the newest record (the first tick waits for the first
// fetch). A name without a value prints null; a tick whose values are stale
// carries "(stale)": true. A definition file of another firmware is read
// over the link it describes, at --baud (default 115200).
// Exit 0 when every tick's fetch succeeded (with --rate: every tick had a
// record newer than the tick before), 1 otherwise, 2 on misuse or an
// unreadable FILE.
#include "tools/tarntool/Command.h"
#include "tools/tarntool/DefinitionJson.h"
#include "tools/tarntool/LiveEcuOptions.h"

#include "ecu/RTDataMgrSerial.h"
#include "link/TarnProtocol.h"
#include <wx/log.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

int RunLive(const CommandArgs& args)
{
    const ParsedArgs parsed =
        ParseArgs(args, {"ticks", "period", "baud", "rate", "set", "tune"}, {"verbose"});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() < 2)
        return UsageError("live needs FILE and at least one NAME");
    long ticks = 1, period = 300;
    if (!ParseCount(parsed.value("ticks", "1"), 1000000000L, ticks))
        return UsageError("--ticks needs a whole number of ticks");
    if (!ParseCount(parsed.value("period", "300"), 86400000L, period))
        return UsageError("--period needs a whole number of milliseconds");
    LiveEcuOptions ecuOptions;
    std::string misuse;
    const std::unique_ptr<SymbolTable> table = LoadForLiveEcu(parsed, ecuOptions, misuse);
    if (!table)
        return UsageError(misuse);

    ToolLog log(parsed.has("verbose"));
    TarnProtocol* protocol = TarnProtocol::getInstance();
    Sampling sampling;
    if (ecuOptions.rate) {
        sampling.mode = Sampling::Rate;
        sampling.hz = *ecuOptions.rate;
    }
    RTDataMgrSerial input(protocol, table.get(), {}, ecuOptions.link, sampling);
    const bool builtIn = table->getLinkSettings().isBuiltInFirmware();
    ValueMap values;
    input.setValueMap(&values);
    bool allFetched = true;
    const auto start = std::chrono::steady_clock::now();
    for (long tick = 0; tick < ticks; ++tick) {
        if (tick > 0)
            std::this_thread::sleep_until(start + std::chrono::milliseconds(period * tick));
        values.clear();
        for (size_t i = 1; i < parsed.operands.size(); ++i)
            values[wxString::FromUTF8(parsed.operands[i])] = 0.0;
        const uint64_t before = input.getRecordSequence();
        int fetched = 0;
        if (!ecuOptions.rate || tick == 0) {
            input.requestFetch();
            fetched = input.waitForFetch();
        }
        input.fillValueMap();
        if (ecuOptions.rate && fetched == 0 && input.getRecordSequence() == before)
            fetched = input.getLastFetchResult() != 0 ? input.getLastFetchResult() : TarnProtocol::kGaveUp;
        wxLog::FlushActive();
        if (fetched != 0) {
            allFetched = false;
            std::string why = !builtIn ? input.getLinkState().describe()
                              : fetched == TarnProtocol::kGaveUp
                                  ? "no reply of the expected length"
                                  : ToUtf8(protocol->getStatusText(fetched));
            if (builtIn && fetched == SerialPortHandler::kCannotOpen) {
                const LinkState state = input.getLinkState();
                why += " " + state.device + (state.reason.empty() ? "" : ": " + state.reason);
            }
            std::fprintf(stderr, "tarntool: tick %ld: no runtime data (%d: %s)\n", tick + 1,
                         fetched, why.c_str());
        }
        OrderedJson line = OrderedJson::object();
        for (size_t i = 1; i < parsed.operands.size(); ++i) {
            const auto found = values.find(wxString::FromUTF8(parsed.operands[i]));
            line[parsed.operands[i]] =
                found == values.end() || RTDataMgr::IsNoValue(found->second)
                    ? OrderedJson(nullptr)
                    : OrderedJson(found->second);
        }
        if (input.IsStale())
            line["(stale)"] = true;
        const std::string text = DumpLine(line) + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
    }
    input.stop();
    return allFetched ? 0 : 1;
}

} // namespace

TARNTOOL_COMMAND("live",
                 "FILE [--ticks N] [--period MS] [--baud N] [--rate HZ] [--verbose] [--set NAME]... "
                 "[--tune FILE.msq] NAME...",
                 RunLive);
