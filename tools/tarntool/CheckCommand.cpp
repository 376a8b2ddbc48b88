// tarntool check FILE: the load's warnings for people, then a summary line.
// Exit 0 without warnings, 1 with warnings, 2 when FILE cannot be read.
#include "expr/Evaluation.h"
#include "tools/tarntool/Command.h"
#include "tools/tarntool/DefinitionJson.h"

#include <wx/log.h>

#include <cstdio>
#include <memory>

namespace {

// Channels whose expression nests beyond the evaluator's limit: they would
// read 0 on every tick. Each is evaluated once over zeros to find out.
void WarnTooDeep(const SymbolTable& table, wxArrayString& warnings)
{
    wxLogNull quiet;
    ValueMap zeros;
    Evaluation evaluation;
    evaluation.setTable(&zeros);
    for (const auto& symbol : table.getAllSymbols()) {
        if (!symbol || !symbol->isExpression())
            continue;
        evaluation.evaluate(symbol->expr);
        if (evaluation.hitNestingLimit())
            warnings.Add(wxString::Format("Channel %s: expression nested deeper than %d levels "
                                          "reads 0!",
                                          symbol->Name, Evaluation::kMaxDepth));
    }
}

int RunCheck(const CommandArgs& args)
{
    const ParsedArgs parsed = ParseArgs(args, {}, {});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() != 1)
        return UsageError("check needs exactly one FILE");

    const std::string& file = parsed.operands[0];
    wxArrayString warnings;
    std::string readError;
    std::unique_ptr<SymbolTable> table(LoadQuietly(file, warnings, readError));
    if (!table)
        return UsageError("cannot read " + file + ": " + readError);
    WarnTooDeep(*table, warnings);
    for (const wxString& warning : warnings) {
        const std::string line = file + ": " + ToUtf8(warning) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    // Every symbol read counts, a replaced duplicate included (as dump lists them).
    std::printf("%zu symbols, %zu gauges, %zu datalog entries, %zu warnings\n",
                table->getAllSymbols().size(), table->getGauges().size(),
                table->getDatalogEntries().size(), warnings.size());
    std::fflush(stdout);
    return warnings.empty() ? 0 : 1;
}

} // namespace

TARNTOOL_COMMAND("check", "FILE", RunCheck);
