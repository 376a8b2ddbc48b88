// tarntool check FILE: the load's warnings for people, then what the file
// uses that the dashboard does not support and what depends on constants
// without a value, then a summary line. Exit 0 when nothing found changes
// what a gauge shows (an #if of a setting the user has not set does not),
// 1 otherwise, 2 when FILE cannot be read or is no definition file at all.
#include "expr/Evaluation.h"
#include "tools/tarntool/Command.h"
#include "tools/tarntool/DefinitionFindings.h"
#include "tools/tarntool/DefinitionJson.h"

#include <wx/log.h>

#include <cstdio>
#include <memory>

namespace {

// Channels whose expression nests beyond the evaluator's limit: they would
// read 0 on every tick. Each is evaluated once over zeros to find out.
void WarnTooDeep(const SymbolTable& table, wxArrayString& warnings)
{
    // Other firmwares' expressions are compiled: too deep a nest is their compile error.
    if (!table.getLinkSettings().isBuiltInFirmware())
        return;
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

void PrintLine(const std::string& line)
{
    const std::string text = line + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
}

int RunCheck(const CommandArgs& args)
{
    const ParsedArgs parsed = ParseArgs(args, kDefinitionOptionNames, {});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() != 1)
        return UsageError("check needs exactly one FILE");

    const std::string& file = parsed.operands[0];
    wxArrayString warnings;
    std::string error;
    std::unique_ptr<SymbolTable> table(LoadQuietly(file, warnings, DefinitionOptionsOf(parsed), error, true));
    if (!table)
        return UsageError(error);
    WarnTooDeep(*table, warnings);
    bool problem = false;
    for (const wxString& warning : warnings) {
        PrintLine(file + ": " + ToUtf8(warning));
        problem = problem || !IsHarmlessWarning(warning);
    }
    for (const Finding& finding : FindDefinitionProblems(*table)) {
        PrintLine(file + ": " + finding.text);
        problem = problem || finding.problem;
    }
    // Every symbol read counts, a replaced duplicate included (as dump lists them).
    std::printf("%zu symbols, %zu gauges, %zu datalog entries, %zu warnings\n",
                table->getAllSymbols().size(), table->getGauges().size(),
                table->getDatalogEntries().size(), warnings.size());
    std::fflush(stdout);
    return problem ? 1 : 0;
}

} // namespace

TARNTOOL_COMMAND("check", "[--set NAME]... [--tune FILE.msq] FILE", RunCheck);
