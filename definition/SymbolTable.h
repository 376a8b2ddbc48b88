#pragma once
// All symbols, gauge descriptions and datalog entries of one loaded definition
// file. The table owns them; gauges and inputs only point into it.
#include "definition/Symbol.h"
#include "gaugemodel/TARNGaugeDesc.h"

#include <wx/hashmap.h>

#include <memory>
#include <vector>

struct DatalogEntry {
    wxString a, b, c, d;
};

WX_DECLARE_STRING_HASH_MAP(Symbol*, SymbolMap);
using GaugeDescList = std::vector<TARNGaugeDesc*>;

class SymbolTable {
public:
    SymbolTable() = default;
    SymbolTable(const SymbolTable&) = delete;
    SymbolTable& operator=(const SymbolTable&) = delete;
    virtual ~SymbolTable();

    // Takes ownership. Files under the symbol's own Name (`name` plays no part);
    // a duplicate replaces the older symbol in the map, both stay in the list.
    void addSymbol(const wxString& name, Symbol* symbol);
    Symbol* findSymbol(const wxString& name) const;
    // Takes ownership.
    void addGauge(TARNGaugeDesc* desc);
    void addDatalogEntry(const wxString& a, const wxString& b, const wxString& c,
                         const wxString& d);

    const SymbolMap& getSymbols() const { return symbols; }
    const std::vector<std::unique_ptr<Symbol>>& getAllSymbols() const { return allSymbols; }
    const GaugeDescList& getGauges() const { return gauges; }
    const std::vector<DatalogEntry>& getDatalogEntries() const { return datalogEntries; }

private:
    SymbolMap symbols;
    std::vector<std::unique_ptr<Symbol>> allSymbols;
    GaugeDescList gauges;
    std::vector<DatalogEntry> datalogEntries;
};

// The installed table: never null (an empty table until a file is loaded).
SymbolTable* currentSymbolTable();
// Destroys the installed table and installs `table` (ownership passes).
void installSymbolTable(SymbolTable* table);
