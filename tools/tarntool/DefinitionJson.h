#pragma once
// The JSON forms of symbols, gauge descriptions and tokens that tarntool
// prints. Keys keep the documented order; strings are UTF-8.
#include "definition/LineTokenizer.h"
#include "definition/Symbol.h"
#include "definition/SymbolTable.h"

#include <nlohmann/json.hpp>

#include <string>

using OrderedJson = nlohmann::ordered_json;

std::string ToUtf8(const wxString& text);
OrderedJson SymbolToJson(const Symbol& symbol);
OrderedJson GaugeToJson(const TARNGaugeDesc& gauge);
// {"symbols", "gauges", "datalog", "warnings"}, the document of `tarntool dump`.
OrderedJson TableToJson(const SymbolTable& table, const wxArrayString& warnings);
// One line's tokens: [{"type", "text", "value"}, ...].
OrderedJson TokensToJson(const LineTokenizer& tokens);

// One JSON document on one line; text that is not valid UTF-8 cannot occur
// (wxString converts), but a replacement character beats an exception.
std::string DumpLine(const OrderedJson& document);

// The loader used by dump and check: reads `path` with the dashboard's parser
// and settings, its trace silenced, without installing the table. Returns null
// when the file could not be read, with the reason in `error`.
SymbolTable* LoadQuietly(const std::string& path, wxArrayString& warnings, std::string& error);
