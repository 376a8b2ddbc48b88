#pragma once
// Runs the definition file parser over text held in memory.
#include "definition/IniParser.h"
#include "tests/support/LogCapture.h"

#include <memory>
#include <string>
#include <vector>

struct Parsed {
    std::unique_ptr<SymbolTable> table;
    std::vector<std::string> warnings;
    std::vector<std::string> log; // every debug-log message of the load, in order

    // Names of every symbol added, in order (replaced duplicates included).
    std::vector<std::string> names() const
    {
        std::vector<std::string> list;
        for (const auto& symbol : table->getAllSymbols())
            list.push_back(symbol->Name.utf8_string());
        return list;
    }
    const Symbol& symbol(const char* name) const
    {
        static const Symbol missing;
        const Symbol* found = table->findSymbol(name);
        return found ? *found : missing;
    }
};

inline Parsed Parse(const std::string& text)
{
    LogCapture capture;
    IniParser parser;
    parser.openBytes(text);
    while (parser.readNext()) {
    }
    Parsed parsed;
    for (const wxString& warning : parser.getWarnings())
        parsed.warnings.push_back(warning.utf8_string());
    parsed.table.reset(parser.releaseTable());
    for (const wxString& message : capture.messages())
        parsed.log.push_back(message.utf8_string());
    return parsed;
}

// Joins lines with "\n".
inline std::string Lines(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\n";
    return text;
}
