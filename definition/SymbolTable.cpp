#include "definition/SymbolTable.h"

#include "base/DebugLog.h"

SymbolTable::~SymbolTable()
{
    for (TARNGaugeDesc* desc : gauges)
        delete desc;
}

void SymbolTable::addSymbol(const wxString& /*name*/, Symbol* symbol)
{
    if (!symbol) {
        DebugLog(0, "NULL Symbol!: ");
        return;
    }
    if (symbols.find(symbol->Name) != symbols.end())
        DebugLog(0, "Duplicate Symbol!: " + symbol->Name);
    symbols[symbol->Name] = symbol;
    allSymbols.emplace_back(symbol);
}

Symbol* SymbolTable::findSymbol(const wxString& name) const
{
    auto it = symbols.find(name);
    return it == symbols.end() ? nullptr : it->second;
}

void SymbolTable::addGauge(TARNGaugeDesc* desc)
{
    if (desc)
        gauges.push_back(desc);
}

void SymbolTable::addDatalogEntry(const wxString& a, const wxString& b, const wxString& c,
                                  const wxString& d)
{
    datalogEntries.push_back(DatalogEntry{a, b, c, d});
}

static std::unique_ptr<SymbolTable>& installedTable()
{
    static std::unique_ptr<SymbolTable> table(new SymbolTable);
    return table;
}

SymbolTable* currentSymbolTable()
{
    return installedTable().get();
}

void installSymbolTable(SymbolTable* table)
{
    installedTable().reset(table ? table : new SymbolTable);
}
