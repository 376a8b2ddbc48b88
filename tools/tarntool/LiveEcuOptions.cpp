#include "tools/tarntool/LiveEcuOptions.h"
#include "tools/tarntool/DefinitionJson.h"

#include "definition/SymbolTable.h"
#include "serial/wxSerialPort.h"

#include <cstdio>
#include <cstdlib>

namespace {

class StderrLog : public wxLog {
protected:
    void DoLogRecord(wxLogLevel, const wxString& msg, const wxLogRecordInfo&) override
    {
        const std::string line = ToUtf8(msg) + "\n";
        std::fwrite(line.data(), 1, line.size(), stderr);
    }
};

class DiscardLog : public wxLog {
protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override {}
};

} // namespace

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

std::unique_ptr<SymbolTable> LoadForLiveEcu(const ParsedArgs& parsed, LiveEcuOptions& options,
                                            std::string& misuse)
{
    long baud = 115200;
    if (!ParseCount(parsed.value("baud", "115200"), 921600L, baud) ||
        !wxSerialPort::IsAcceptedRate(static_cast<int>(baud))) {
        misuse = "--baud needs a line speed: 1200, 2400, 4800, 9600, 19200, 38400, 57600, "
                 "115200, 230400, 460800 or 921600";
        return nullptr;
    }
    options.link.baud = static_cast<int>(baud);
    if (parsed.has("rate")) {
        options.rate = Sampling::parseRate(parsed.value("rate"));
        if (!options.rate) {
            misuse = "--rate needs fetches per second, above 0 and at most 1000";
            return nullptr;
        }
    }
    wxArrayString warnings;
    return std::unique_ptr<SymbolTable>(
        LoadQuietly(parsed.operands[0], warnings, DefinitionOptionsOf(parsed), misuse));
}

ToolLog::ToolLog(bool verbose)
    : target(verbose ? static_cast<wxLog*>(new StderrLog) : new DiscardLog),
      previous(wxLog::SetActiveTarget(target.get())), level(wxLog::GetLogLevel())
{
    // Nobody reads the traces: the worker need not write them (one line per
    // channel and record).
    if (!verbose)
        wxLog::SetLogLevel(wxLOG_Warning);
}

ToolLog::~ToolLog()
{
    wxLog::FlushActive();
    wxLog::SetActiveTarget(previous);
    wxLog::SetLogLevel(level);
}
