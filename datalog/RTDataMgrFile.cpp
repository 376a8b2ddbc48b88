#include "datalog/RTDataMgrFile.h"

#include "base/DebugLog.h"
#include "datalog/DatalogLoader.h"
#include "datalog/DecimalNumber.h"
#include "definition/SymbolTable.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

RTDataMgrFile::RTDataMgrFile(const wxString& fileName, const SymbolTable* definitions)
    : RTDataMgrFile(DatalogLoader::FromFile(fileName), definitions)
{
}

RTDataMgrFile::RTDataMgrFile(DatalogLoader::Opened opened, const SymbolTable* definitions)
    : log(std::move(opened.log)), openResult(opened.result), table(definitions), matcher(log->Columns(), definitions),
      replay(*log)
{
    for (const wxString& problem : log->Problems())
        DebugLog(problem == log->GetRefusal() ? 2 : 1, problem);
}

std::unique_ptr<RTDataMgrFile> RTDataMgrFile::FromBytes(std::string bytes, const wxString& name,
                                                        const SymbolTable* table)
{
    return std::unique_ptr<RTDataMgrFile>(
        new RTDataMgrFile(DatalogLoader::Opened{0, DatalogLoader::FromBytes(std::move(bytes), name)}, table));
}

RTDataMgrFile::Source RTDataMgrFile::FindSource(const wxString& name) const
{
    Source source{matcher.Find(name), UnitConversion()};
    const Symbol* symbol = table && source.match.column >= 0 ? table->findSymbol(name) : nullptr;
    if (symbol)
        source.conversion = UnitConversion::Between(log->Columns()[source.match.column].units, symbol->Units);
    return source;
}

void RTDataMgrFile::SetTable(const SymbolTable* definitions)
{
    table = definitions;
    matcher = ColumnMatcher(log->Columns(), definitions);
    tickNames.clear();
}

void RTDataMgrFile::Update()
{
    if (holding)
        holding = false;
    else
        replay.Tick(tickSeconds);
    for (size_t marker : replay.GetPassedMarkers())
        DebugLog(0, log->GetName() + ": marker: " + log->Markers()[marker].text);
    if (replay.IsAtEnd() != endTraced) {
        endTraced = replay.IsAtEnd();
        if (endTraced)
            DebugLog(0, log->GetName() + ": replay stopped at the last record");
    }
    if (!valueMap)
        return;
    for (ValueMap::iterator it = valueMap->begin(); it != valueMap->end(); ++it) {
        DebugLog(0, it->first);
        const double value = CurrentValue(Lookup(it->first));
        it->second = std::isfinite(value) ? value : NoValue();
    }
}

const RTDataMgrFile::Source& RTDataMgrFile::Lookup(const wxString& name)
{
    const auto known = tickNames.find(name.ToStdWstring());
    if (known != tickNames.end())
        return known->second;
    const Source source = FindSource(name);
    const ColumnMatcher::Match& match = source.match;
    if (match.column < 0)
        DebugLog(1, log->GetName() + ": no column for \"" + name + "\" (" + ColumnMatcher::Describe(match.rule) +
                        ")");
    else if (match.rule != ColumnMatcher::Rule::Name || source.conversion.Converts())
        DebugLog(0, log->GetName() + ": column \"" + log->Columns()[match.column].name + "\" serves \"" + name +
                        "\" (" + ColumnMatcher::Describe(match.rule) + ")" +
                        (source.conversion.Converts()
                             ? ", " + source.conversion.from + " to " + source.conversion.to
                             : wxString()));
    return tickNames.emplace(name.ToStdWstring(), source).first->second;
}

double RTDataMgrFile::CurrentValue(const Source& source) const
{
    if (source.match.column < 0 || !HasRecord())
        return std::numeric_limits<double>::quiet_NaN();
    return source.conversion.Apply(log->Value(replay.GetRecord(), static_cast<size_t>(source.match.column)));
}

bool RTDataMgrFile::HasRecord() const
{
    return replay.HasRecord() && log->HasValues(replay.GetRecord());
}

double RTDataMgrFile::GetValue(const wxString& name)
{
    const Source source = FindSource(name);
    if (source.match.column < 0) {
        DebugLog(0, "symbol not found : " + name);
        return -1.0;
    }
    const double value = CurrentValue(source);
    return std::isfinite(value) ? value : -1.0;
}

bool RTDataMgrFile::HasValue(const wxString& name)
{
    return matcher.Find(name).column >= 0;
}

int32_t RTDataMgrFile::getLineIndex() const
{
    if (log->GetFormat() != Datalog::Format::Dashboard)
        return -1;
    const int32_t lines = getLineCount();
    if (lines == 0)
        return 0;
    const int32_t stands = replay.HasRecord() ? 2 + static_cast<int32_t>(replay.GetRecord()) : 1;
    return std::min(stands, lines - 1);
}

double RTDataMgrFile::ParseNumber(const wxString& field)
{
    const wxScopedCharBuffer text = field.utf8_str();
    return DecimalNumber::ParseLeading(text.data(), text.data() + text.length());
}
