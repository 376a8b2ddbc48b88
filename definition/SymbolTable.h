#pragma once
// All symbols, gauge descriptions and datalog entries of one loaded definition
// file. The table owns them; inputs point into it, and gauges get only the
// finished descriptions, read-only.
#include "definition/ConstantValues.h"
#include "definition/IncTable.h"
#include "definition/LinkSettings.h"
#include "definition/Symbol.h"
#include "gaugemodel/FrontPage.h"
#include "gaugemodel/TARNGaugeDesc.h"

#include <wx/hashmap.h>

#include <map>
#include <memory>
#include <vector>

class DefinitionExpressions;

struct DatalogEntry {
    wxString a, b, c, d;
};

WX_DECLARE_STRING_HASH_MAP(Symbol*, SymbolMap);

class SymbolTable {
public:
    SymbolTable();
    SymbolTable(const SymbolTable&) = delete;
    SymbolTable& operator=(const SymbolTable&) = delete;
    virtual ~SymbolTable();

    // Takes ownership. Files under the symbol's own Name (`name` plays no part);
    // a duplicate replaces the older symbol in the map, both stay in the list.
    void addSymbol(const wxString& name, Symbol* symbol);
    Symbol* findSymbol(const wxString& name) const;
    // Takes ownership; finishGauges() completes it.
    void addGauge(std::unique_ptr<TARNGaugeDesc> desc);
    // Computes every description's expressions with expressions(), once the
    // constants are final; gauges change none of it. The gauges of another
    // firmware's file take the file's digits. True when a description changed.
    bool finishGauges();
    void addDatalogEntry(const wxString& a, const wxString& b, const wxString& c,
                         const wxString& d);

    const SymbolMap& getSymbols() const { return symbols; }
    const std::vector<std::unique_ptr<Symbol>>& getAllSymbols() const { return allSymbols; }
    const GaugeDescList& getGauges() const { return gauges; }
    const std::vector<DatalogEntry>& getDatalogEntries() const { return datalogEntries; }
    const FrontPage& getFrontPage() const { return frontPage; }
    FrontPage& getFrontPage() { return frontPage; }

    const LinkSettings& getLinkSettings() const { return linkSettings; }
    LinkSettings& getLinkSettings() { return linkSettings; }
    // The runtime data block's size: the file's ochBlockSize, else the extent
    // of its output channels (0 when it has none).
    int32_t getBlockSize() const;

    const ConstantValues& getConstantValues() const { return constantValues; }
    // Changes constant values (defaults, a tune); call resolveConstants() after.
    ConstantValues& getConstantValues() { return constantValues; }
    // Works out the constants' numbers from their texts, then resolveScales().
    void resolveConstants();
    // Computes every field written as an {expression} (units, scale,
    // translate, limits, digits) over the constants' current numbers; call it
    // whenever those change. A decoder copies the symbols: make it after this.
    void resolveScales();
    // The fields the last resolveScales() could not compute, one text each
    // with the entry's line.
    const wxArrayString& getScaleProblems() const { return scaleProblems; }
    // After the constants' values changed once the file was loaded (read
    // from the ECU): works out their numbers, whatever depends on them in the
    // symbols, and every gauge description's expressions again. True when a
    // description changed; its gauges must then take it up again.
    bool constantsChanged();

    // Reads the lookup tables that table(x, "name.inc") calls of the
    // expression channels name, from `directory`. Each file is read once;
    // those that cannot be read are listed with the reason.
    void loadIncTables(const wxString& directory);
    const IncTable* findIncTable(const wxString& fileName) const;
    const std::map<wxString, wxString>& getIncTableErrors() const { return incTableErrors; }

    // The line of the file a symbol or gauge of that name was read from (the
    // last one of the name); 0 when not known.
    void setSymbolLine(const wxString& name, int line) { symbolLines[name] = line; }
    void setGaugeLine(const wxString& name, int line) { gaugeLines[name] = line; }
    int symbolLine(const wxString& name) const;
    int gaugeLine(const wxString& name) const;

    // The CELSIUS setting as the file left it: tempCvt() gives Celsius then.
    bool isCelsius() const { return celsius; }
    void setCelsius(bool on) { celsius = on; }

    // Gauge limits and texts, and what channel expressions need besides the
    // channels (constants, functions).
    const DefinitionExpressions& expressions() const { return *expressionContext; }

private:
    SymbolMap symbols;
    std::vector<std::unique_ptr<Symbol>> allSymbols;
    std::vector<std::unique_ptr<TARNGaugeDesc>> ownedGauges;
    GaugeDescList gauges; // the same, read-only
    std::vector<DatalogEntry> datalogEntries;
    FrontPage frontPage;
    LinkSettings linkSettings;
    ConstantValues constantValues;
    std::map<wxString, IncTable> incTables;
    std::map<wxString, wxString> incTableErrors;
    std::unique_ptr<DefinitionExpressions> expressionContext;
    wxArrayString scaleProblems;
    std::map<wxString, int> symbolLines;
    std::map<wxString, int> gaugeLines;
    bool celsius = true;
};

// The installed table: never null (an empty table until a file is loaded).
SymbolTable* currentSymbolTable();
// Destroys the installed table and installs `table` (ownership passes).
void installSymbolTable(SymbolTable* table);
