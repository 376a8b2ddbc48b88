#pragma once
// What the commands that read a live ECU (live, record) share: their line
// options and where the worker's messages go.
#include "ecu/Sampling.h"
#include "link/GenericLink.h"
#include "tools/tarntool/Command.h"

#include <wx/log.h>

#include <memory>
#include <optional>
#include <string>

// A whole decimal number in [0, max]; false otherwise.
bool ParseCount(const std::string& text, long max, long& value);

class SymbolTable;

struct LiveEcuOptions {
    GenericLinkOptions link; // --baud, default 115200
    std::optional<double> rate; // --rate
};
// Reads --baud and --rate and loads the definition file, the first operand;
// null, with the message for the user in `misuse`, when either fails.
std::unique_ptr<SymbolTable> LoadForLiveEcu(const ParsedArgs& parsed, LiveEcuOptions& options,
                                            std::string& misuse);

// While it lives, the debug log's messages go to standard error as their own
// texts (`verbose`) or nowhere; standard output carries only the command's
// output. The worker's messages arrive when wxLog::FlushActive() runs.
class ToolLog {
public:
    explicit ToolLog(bool verbose);
    ~ToolLog();
    ToolLog(const ToolLog&) = delete;
    ToolLog& operator=(const ToolLog&) = delete;

private:
    std::unique_ptr<wxLog> target;
    wxLog* previous;
    wxLogLevel level;
};
