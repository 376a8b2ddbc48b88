#pragma once
// The definition file the dashboard shows, as the command line names it.
#include "app/CommandLine.h"

// Reads it (with the settings and the tune given) and installs its symbol
// table in place of the installed one; a file that cannot be read leaves an
// empty table.
void InstallDashboardDefinition(const DashboardOptions& options);
