// tarntool replay DATALOG [--ticks N] NAME...: plays a datalog through the
// replay input as the dashboard's ticks do and prints one JSON array per tick.
#include "tools/tarntool/Command.h"
#include "tools/tarntool/JsonOutput.h"

#include "datalog/RTDataMgrFile.h"

#include <nlohmann/json.hpp>
#include <wx/log.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

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

int RunReplay(const CommandArgs& args)
{
    const ParsedArgs parsed = ParseArgs(args, {"ticks"}, {});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() < 2)
        return UsageError("replay needs a datalog and at least one value name");
    long ticks = -1;
    if (parsed.has("ticks") && !ParseTicks(parsed.value("ticks"), ticks))
        return UsageError("--ticks needs a whole number of ticks, not '" + parsed.value("ticks") + "'");

    // The input traces every name it serves; none of that belongs on stdout.
    wxLogNull quiet;

    const std::string& path = parsed.operands[0];
    RTDataMgrFile input(wxString(path.c_str(), *wxConvFileName));
    if (input.GetOpenResult() != 0) {
        std::fprintf(stderr, "tarntool: cannot read %s\n", path.c_str());
        return 2;
    }
    // Construction leaves the reader on line 2; every later line is one tick.
    if (ticks < 0)
        ticks = input.getLineCount() > 2 ? input.getLineCount() - 2 : 0;

    std::vector<wxString> names;
    for (size_t i = 1; i < parsed.operands.size(); ++i)
        names.push_back(wxString::FromUTF8(parsed.operands[i].c_str()));

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
            if (it == values.end())
                line.push_back(nullptr);
            else
                line.push_back(it->second);
        }
        std::fputs(DumpJsonLine(line).c_str(), stdout);
        std::fputc('\n', stdout);
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

TARNTOOL_COMMAND("replay", "DATALOG [--ticks N] NAME...", RunReplay);
