// tarntool live FILE [--ticks N] [--period MS] [--baud N] [--quiet-ms N] [--verbose] NAME...: reads the
// ECU on the dashboard's serial port through the dashboard's own ECU input
// (its worker thread included), N ticks MS ms apart, one JSON object of the
// NAMEs' values per tick; each tick waits for its own fetch. A name without a
// value prints null; a tick whose values are stale carries "(stale)": true.
// A definition file of another firmware is read over the link it describes,
// at --baud (default 115200). --quiet-ms sets the least quiet window that
// ends a reply without a check byte (default 20).
// Exit 0 when every tick's fetch succeeded, 1 otherwise, 2 on misuse or an
// unreadable FILE.
#include "tools/tarntool/Command.h"
#include "tools/tarntool/DefinitionJson.h"
#include "tools/tarntool/LinkArgs.h"

#include "ecu/RTDataMgrSerial.h"
#include "link/TarnProtocol.h"

#include <wx/log.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

// The debug log's messages as their own texts on standard error.
class StderrLog : public wxLog {
protected:
    void DoLogRecord(wxLogLevel, const wxString& msg, const wxLogRecordInfo&) override
    {
        const std::string line = ToUtf8(msg) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
};

// Drops every message.
class DiscardLog : public wxLog {
protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override {}
};

// A whole decimal number in [0, max]; false otherwise.
bool ParseCount(const std::string& text, long max, long& value)
{
    if (text.empty() || text.size() > 10)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    value = std::strtol(text.c_str(), nullptr, 10);
    return value <= max;
}

int RunLive(const CommandArgs& args)
{
    std::vector<std::string> valued = {"ticks", "period", "set", "tune"};
    valued.insert(valued.end(), kLinkOptions.begin(), kLinkOptions.end());
    const ParsedArgs parsed = ParseArgs(args, valued, {"verbose"});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() < 2)
        return UsageError("live needs FILE and at least one NAME");
    long ticks = 1, period = 300;
    if (!ParseCount(parsed.value("ticks", "1"), 1000000000L, ticks))
        return UsageError("--ticks needs a whole number of ticks");
    if (!ParseCount(parsed.value("period", "300"), 86400000L, period))
        return UsageError("--period needs a whole number of milliseconds");
    GenericLinkOptions linkOptions;
    std::string linkError;
    if (!LinkOptionsOf(parsed, linkOptions, linkError))
        return UsageError(linkError);

    wxArrayString warnings;
    std::string error;
    std::unique_ptr<SymbolTable> table(
        LoadQuietly(parsed.operands[0], warnings, DefinitionOptionsOf(parsed), error));
    if (!table)
        return UsageError(error);

    // Standard output carries only the JSON lines. The worker's messages
    // reach the log target when this thread flushes them, after each tick.
    std::unique_ptr<wxLog> target;
    if (parsed.has("verbose"))
        target.reset(new StderrLog);
    else
        target.reset(new DiscardLog);
    wxLog* previous = wxLog::SetActiveTarget(target.get());

    TarnProtocol* protocol = TarnProtocol::getInstance();
    RTDataMgrSerial input(protocol, table.get(), {}, linkOptions);
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
        input.requestFetch();
        const int fetched = input.waitForFetch();
        input.fillValueMap();
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
    wxLog::FlushActive();
    wxLog::SetActiveTarget(previous);
    return allFetched ? 0 : 1;
}

} // namespace

TARNTOOL_COMMAND("live",
                 "FILE [--ticks N] [--period MS] [--baud N] [--quiet-ms N] [--verbose] [--set NAME]... "
                 "[--tune FILE.msq] NAME...",
                 RunLive);
