// Arbitrary bytes as a whole definition file through the dashboard's parser.
#include "definition/IniParser.h"

#include <wx/init.h>
#include <wx/log.h>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static wxInitializer initializer;
    // The per-line trace would only slow the search down.
    wxLog::EnableLogging(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    IniParser parser;
    parser.openBytes(std::string(reinterpret_cast<const char*>(data), size));
    while (parser.readNext()) {
    }
    // {expression} fields, channels inlined into them, as a load computes them.
    parser.getTable()->resolveConstants();
    const SymbolTable* table = parser.getTable();
    for (const auto& symbol : table->getAllSymbols()) {
        if (symbol->SizeOf != 1 && symbol->SizeOf != 2 && symbol->SizeOf != 4)
            std::abort();
        if (symbol->order < 0 || symbol->order > 2)
            std::abort();
        (void)symbol->describe();
    }
    for (const TARNGaugeDesc* gauge : table->getGauges()) {
        if (gauge->getRanges().size() != 4 || gauge->getScaleFactor() < 1)
            std::abort();
        (void)gauge->describe();
    }
    (void)parser.getWarnings();
    return 0;
}
