#include "definition/SymbolTable.h"

#include "base/DebugLog.h"
#include "definition/DefinitionExpressions.h"
#include "definition/ExpressionNames.h"
#include "definition/SymbolFields.h"

#include <wx/filename.h>

#include <algorithm>

SymbolTable::SymbolTable() : expressionContext(new DefinitionExpressions(*this)) {}

SymbolTable::~SymbolTable() = default;

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

void SymbolTable::addGauge(std::unique_ptr<TARNGaugeDesc> desc)
{
    if (!desc)
        return;
    gauges.push_back(desc.get());
    ownedGauges.push_back(std::move(desc));
}

bool SymbolTable::finishGauges()
{
    const bool fileDigits = !linkSettings.isBuiltInFirmware();
    bool changed = false;
    for (const std::unique_ptr<TARNGaugeDesc>& desc : ownedGauges) {
        changed |= desc->resolveExpressions(*expressionContext);
        if (fileDigits)
            desc->useFileDigits();
    }
    return changed;
}

bool SymbolTable::constantsChanged()
{
    resolveConstants();
    // Symbols whose fields are expressions over constants are worked out again here.
    return finishGauges();
}

void SymbolTable::resolveConstants()
{
    constantValues.resolve(*this);
    resolveScales();
}

void SymbolTable::resolveScales()
{
    scaleProblems = resolveSymbolFields(*this);
}

int SymbolTable::symbolLine(const wxString& name) const
{
    const auto it = symbolLines.find(name);
    return it == symbolLines.end() ? 0 : it->second;
}

int SymbolTable::gaugeLine(const wxString& name) const
{
    const auto it = gaugeLines.find(name);
    return it == gaugeLines.end() ? 0 : it->second;
}

void SymbolTable::addDatalogEntry(const wxString& a, const wxString& b, const wxString& c,
                                  const wxString& d)
{
    datalogEntries.push_back(DatalogEntry{a, b, c, d});
}

int32_t SymbolTable::getBlockSize() const
{
    if (linkSettings.ochBlockSize > 0)
        return linkSettings.ochBlockSize;
    int64_t extent = 0;
    for (const auto& entry : symbols) {
        const Symbol* symbol = entry.second;
        if (symbol && !symbol->Const && symbol->isScalarChannel() && symbol->Offset >= 0)
            extent = std::max<int64_t>(extent, int64_t(symbol->Offset) + symbol->SizeOf);
    }
    return static_cast<int32_t>(std::min<int64_t>(extent, LinkSettings::kMaxBlockSize));
}

void SymbolTable::loadIncTables(const wxString& directory)
{
    for (const auto& entry : symbols) {
        const Symbol* symbol = entry.second;
        if (!symbol || !symbol->isExpression())
            continue;
        const ExpressionNames names = scanExpression(symbol->expr);
        if (names.functions.Index("table") == wxNOT_FOUND)
            continue;
        for (const wxString& fileName : names.strings) {
            if (incTables.count(fileName) || incTableErrors.count(fileName))
                continue;
            // Only a plain name beside the definition file: never a path.
            if (fileName.empty() || fileName.find_first_of(wxS("/\\")) != wxString::npos) {
                incTableErrors[fileName] = "not a file name beside the definition file";
                continue;
            }
            IncTable table;
            wxString error;
            if (table.load(wxFileName(directory, fileName).GetFullPath(), error))
                incTables[fileName] = table;
            else
                incTableErrors[fileName] = error;
        }
    }
}

const IncTable* SymbolTable::findIncTable(const wxString& fileName) const
{
    const auto it = incTables.find(fileName);
    return it == incTables.end() ? nullptr : &it->second;
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
