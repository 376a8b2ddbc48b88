#include "app/DashboardDefinition.h"

#include "base/DebugLog.h"
#include "definition/IniParser.h"
#include "definition/SymbolTable.h"

void InstallDashboardDefinition(const DashboardOptions& options)
{
    DebugLog(0, "---parse tarnv3 start");
    DefinitionOptions definition;
    for (const wxString& flag : options.settings)
        definition.setFlags.Add(flag);
    definition.tuneFile = options.tuneFile;
    // Nothing may point into the old table while the new one is read.
    installSymbolTable(nullptr);
    installSymbolTable(loadDefinitionFileFrom(options.iniFile, definition));
}
