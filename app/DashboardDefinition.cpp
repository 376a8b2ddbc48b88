#include "app/DashboardDefinition.h"

#include "base/DebugLog.h"
#include "base/RegularFile.h"
#include "definition/DefinitionFileKind.h"
#include "definition/IniParser.h"
#include "app/DashboardLayout.h"
#include "definition/SymbolTable.h"
#include "gaugemodel/GaugeDescChooser.h"

#include <algorithm>

wxString InstallDashboardDefinition(const DashboardOptions& options)
{
    // Nothing may point into the old table while the new one is read.
    installSymbolTable(nullptr);
    wxString problem;
    installSymbolTable(ReadDashboardDefinition(options, problem).release());
    return problem;
}

std::unique_ptr<SymbolTable> ReadDashboardDefinition(const DashboardOptions& options, wxString& problem)
{
    problem.clear();
    std::string bytes, unread;
    if (ReadRegularFile(ArgumentBytes(options.iniFile), bytes, unread)) {
        const std::string why = NotADefinitionFile(bytes);
        if (!why.empty())
            problem = options.iniFile + " is not a definition file: " + wxString::FromUTF8(why);
    } else {
        // Without it the dashboard has no gauges: say why rather than show an empty dial.
        problem = "Cannot read " + options.iniFile + ": " + wxString::FromUTF8(unread);
    }
    bytes.clear();
    bytes.shrink_to_fit();
    DebugLog(0, "---parse tarnv3 start");
    DefinitionOptions definition;
    for (const wxString& flag : options.settings)
        definition.setFlags.Add(flag);
    for (const wxString& flag : options.clearedSettings)
        definition.clearFlags.Add(flag);
    definition.tuneFile = options.tuneFile;
    std::unique_ptr<SymbolTable> table(loadDefinitionFileFrom(options.iniFile, definition));
    if (!table)
        table = std::make_unique<SymbolTable>();
    if (!problem.empty())
        DebugLog(2, problem);
    return table;
}

int FrontPageGaugePosition(const SymbolTable& table, int number)
{
    const std::vector<wxString>& names = table.getFrontPage().gauges;
    if (number < 1 || size_t(number) > names.size())
        return 0;
    const int found = GaugeDescChooser(&table.getGauges()).FindByName(names[number - 1]);
    return found >= 0 ? found : 0;
}

int FrontPageDigitalCount(const SymbolTable& table)
{
    const int named = int(table.getFrontPage().gauges.size()) - 1;
    return std::clamp(named, kDigitalGaugeCount, kMaxDigitalGauges);
}
