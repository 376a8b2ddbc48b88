// tarntool dump FILE: everything the dashboard would read from FILE, as one
// JSON object (symbols, gauges, datalog entries, warnings).
#include "tools/tarntool/Command.h"
#include "tools/tarntool/DefinitionJson.h"

#include <cstdio>
#include <memory>

namespace {

int RunDump(const CommandArgs& args)
{
    const ParsedArgs parsed = ParseArgs(args, kDefinitionOptionNames, {});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() != 1)
        return UsageError("dump needs exactly one FILE");

    wxArrayString warnings;
    std::string error;
    std::unique_ptr<SymbolTable> table(
        LoadQuietly(parsed.operands[0], warnings, DefinitionOptionsOf(parsed), error));
    if (!table)
        return UsageError(error);
    const std::string text = DumpLine(TableToJson(*table, warnings)) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    return 0;
}

} // namespace

TARNTOOL_COMMAND("dump", "[--set NAME]... [--tune FILE.msq] FILE", RunDump);
