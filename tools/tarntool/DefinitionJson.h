#pragma once
// The JSON forms of symbols, gauge descriptions and tokens that tarntool
// prints. Keys keep the documented order; strings are UTF-8.
#include "tools/tarntool/Command.h"

#include "definition/IniParser.h"
#include "definition/LineTokenizer.h"
#include "definition/Symbol.h"
#include "definition/SymbolTable.h"

#include <nlohmann/json.hpp>

#include <string>

using OrderedJson = nlohmann::ordered_json;

std::string ToUtf8(const wxString& text);
OrderedJson SymbolToJson(const Symbol& symbol);
OrderedJson GaugeToJson(const TARNGaugeDesc& gauge);
// The link settings the file declares, and the table's block size.
OrderedJson LinkToJson(const SymbolTable& table);
// {"symbols", "gauges", "datalog", "warnings"}, the document of `tarntool dump`.
OrderedJson TableToJson(const SymbolTable& table, const wxArrayString& warnings);
// One line's tokens: [{"type", "text", "value"}, ...].
OrderedJson TokensToJson(const LineTokenizer& tokens);

// One JSON document on one line; text that is not valid UTF-8 cannot occur
// (wxString converts), but a replacement character beats an exception.
std::string DumpLine(const OrderedJson& document);

// The loader used by dump, check and decode: reads `path` with the dashboard's
// parser and the user's choices, its trace silenced, without installing the
// table. Returns null with `error` set when the file (or the tune file) could
// not be read, or with `refuseNonDefinition` when it is no definition file
// at all (UTF-16, binary, no section).
SymbolTable* LoadQuietly(const std::string& path, wxArrayString& warnings,
                         const DefinitionOptions& options, std::string& error, bool refuseNonDefinition = false);

// The options every command that loads a definition file takes:
// --set NAME (again for more names) and --tune FILE.
extern const std::vector<std::string> kDefinitionOptionNames;
DefinitionOptions DefinitionOptionsOf(const ParsedArgs& parsed);
