// tarntool replay DATALOG [--ticks N] [--ini FILE] [--verbose] NAME...: plays
// a datalog through the replay input as the dashboard's ticks do, one record
// per tick, and prints one JSON array per tick. With --ini the definition
// file's [Datalog] entries find columns and its units convert values.
#include "tools/tarntool/Command.h"
#include "tools/tarntool/JsonOutput.h"

#include "datalog/RTDataMgrFile.h"
#include "definition/SymbolTable.h"
#include "tools/tarntool/DefinitionJson.h"

#include <nlohmann/json.hpp>
#include <wx/log.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// A tick count: decimal digits only, no sign.
bool ParseTicks(const std::string& text, long& ticks)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    char* end = nullptr;
    ticks = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && *end == '\0';
}

void PrintError(const wxString& text)
{
    std::fprintf(stderr, "%s\n", static_cast<const char*>(text.utf8_str()));
}

// Which column serves each name, by which rule, and any unit conversion, for --verbose.
void PrintMatches(const RTDataMgrFile& input, const std::vector<wxString>& names)
{
    for (const wxString& name : names) {
        const RTDataMgrFile::Source source = input.FindSource(name);
        const ColumnMatcher::Match& match = source.match;
        if (match.column < 0) {
            PrintError("tarntool: " + name + ": " + ColumnMatcher::Describe(match.rule));
            continue;
        }
        wxString text = "tarntool: " + name + ": column \"" + input.GetLog().Columns()[match.column].name + "\" (" +
                        ColumnMatcher::Describe(match.rule) + ")";
        if (source.conversion.Converts())
            text += ", converted from " + source.conversion.from + " to " + source.conversion.to;
        PrintError(text);
    }
}

int RunReplay(const CommandArgs& args)
{
    const ParsedArgs parsed = ParseArgs(args, {"ticks", "ini"}, {"verbose"});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() < 2)
        return UsageError("replay needs a datalog and at least one value name");
    long ticks = -1;
    if (parsed.has("ticks") && !ParseTicks(parsed.value("ticks"), ticks))
        return UsageError("--ticks needs a whole number of ticks, not '" + parsed.value("ticks") + "'");
    const bool verbose = parsed.has("verbose");

    // The input traces every name it serves; none of that belongs on stdout.
    wxLogNull quiet;

    std::unique_ptr<SymbolTable> table;
    if (parsed.has("ini")) {
        wxArrayString warnings;
        std::string error;
        table.reset(LoadQuietly(parsed.value("ini"), warnings, DefinitionOptions(), error));
        if (!table)
            return UsageError(error);
    }

    const std::string& path = parsed.operands[0];
    RTDataMgrFile input(wxString(path.c_str(), *wxConvFileName), table.get());
    if (input.GetOpenResult() != 0) {
        std::fprintf(stderr, "tarntool: cannot read %s\n", path.c_str());
        return 2;
    }
    const Datalog& log = input.GetLog();
    if (!log.GetRefusal().empty()) {
        PrintError("tarntool: " + log.GetRefusal());
        return 2;
    }
    for (const wxString& problem : log.Problems())
        PrintError("tarntool: " + problem);
    // No clock here: every record once, none skipped.
    input.GetReplay().SetPacing(LogReplay::Pacing::ByTick);
    if (ticks < 0)
        ticks = static_cast<long>(log.RecordCount());

    std::vector<wxString> names;
    for (size_t i = 1; i < parsed.operands.size(); ++i)
        names.push_back(wxString::FromUTF8(parsed.operands[i].c_str()));
    if (verbose)
        PrintMatches(input, names);
    bool anyServed = false;
    for (const wxString& name : names)
        anyServed = anyServed || input.FindSource(name).match.column >= 0;
    if (!anyServed)
        PrintError("tarntool: " + log.GetName() + ": no column serves any of the names");

    ValueMap values;
    input.setValueMap(&values);
    for (long tick = 0; tick < ticks; ++tick) {
        values.clear();
        for (const wxString& name : names)
            values[name] = 0.0;
        input.Update();
        nlohmann::json line = nlohmann::json::array();
        for (const wxString& name : names) {
            const ValueMap::const_iterator it = values.find(name);
            if (it == values.end() || RTDataMgr::IsNoValue(it->second))
                line.push_back(nullptr);
            else
                line.push_back(it->second);
        }
        std::fputs(DumpJsonLine(line).c_str(), stdout);
        std::fputc('\n', stdout);
        if (verbose && !input.GetReplay().GetPassedMarkers().empty()) {
            std::fflush(stdout); // keeps the marker beside its tick in a shared terminal
            for (size_t marker : input.GetReplay().GetPassedMarkers())
                PrintError(wxString::Format("tarntool: tick %ld: marker: ", tick + 1) + log.Markers()[marker].text);
        }
    }
    std::fflush(stdout);
    if (verbose && log.GetLeftoverBytes() > 0)
        PrintError(wxString::Format("tarntool: %s: %zu bytes left over at the end", log.GetName(),
                                    log.GetLeftoverBytes()));
    return 0;
}

} // namespace

TARNTOOL_COMMAND("replay", "DATALOG [--ticks N] [--ini FILE] [--verbose] NAME...", RunReplay);
