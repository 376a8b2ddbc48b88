#pragma once
// The definition file the dashboard shows, as the command line names it.
#include "app/CommandLine.h"

#include <memory>

class SymbolTable;

// Reads it (with the settings and the tune given) and installs its symbol
// table in place of the installed one; a file that cannot be read leaves an
// empty table. Returns, for the user, why a file there is no definition file
// (UTF-16, binary, no section); empty otherwise.
wxString InstallDashboardDefinition(const DashboardOptions& options);
// Reads it as the above does, without installing it; `problem` as the above returns.
std::unique_ptr<SymbolTable> ReadDashboardDefinition(const DashboardOptions& options, wxString& problem);

// Where front-page gauge `number` (1: the dial, 2 on: the digital gauges) is
// in the table's description list: the description the file's [FrontPage]
// names, else the file's first one.
int FrontPageGaugePosition(const SymbolTable& table, int number);
// How many digital gauges the file's front page asks for: 4 to 7.
int FrontPageDigitalCount(const SymbolTable& table);
