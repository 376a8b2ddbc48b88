#include "datalog/RTDataMgrFile.h"

#include "base/DebugLog.h"
#include "datalog/DatalogLoader.h"
#include "datalog/DecimalNumber.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

RTDataMgrFile::RTDataMgrFile(const wxString& fileName) : RTDataMgrFile(DatalogLoader::FromFile(fileName))
{
}

RTDataMgrFile::RTDataMgrFile(DatalogLoader::Opened opened)
    : log(std::move(opened.log)), openResult(opened.result), matcher(log->Columns()), replay(*log)
{
    for (const wxString& problem : log->Problems())
        DebugLog(problem == log->GetRefusal() ? 2 : 1, problem);
}

std::unique_ptr<RTDataMgrFile> RTDataMgrFile::FromBytes(std::string bytes, const wxString& name)
{
    return std::unique_ptr<RTDataMgrFile>(
        new RTDataMgrFile(DatalogLoader::Opened{0, DatalogLoader::FromBytes(std::move(bytes), name)}));
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
    // Erasing while walking would invalidate the walk; collect first.
    std::vector<wxString> unserved;
    for (ValueMap::iterator it = valueMap->begin(); it != valueMap->end(); ++it) {
        DebugLog(0, it->first);
        const double value = CurrentValue(Lookup(it->first).column);
        if (std::isfinite(value))
            it->second = value;
        else
            unserved.push_back(it->first);
    }
    for (const wxString& name : unserved)
        valueMap->erase(name);
}

const ColumnMatcher::Match& RTDataMgrFile::Lookup(const wxString& name)
{
    const auto known = tickNames.find(name.ToStdWstring());
    if (known != tickNames.end())
        return known->second;
    const ColumnMatcher::Match match = matcher.Find(name);
    if (match.column < 0)
        DebugLog(1, log->GetName() + ": no column for \"" + name + "\"");
    else if (match.loose)
        DebugLog(0, log->GetName() + ": column \"" + log->Columns()[match.column].name + "\" serves \"" + name +
                        "\"");
    return tickNames.emplace(name.ToStdWstring(), match).first->second;
}

double RTDataMgrFile::CurrentValue(int column) const
{
    if (column < 0 || !HasRecord())
        return std::numeric_limits<double>::quiet_NaN();
    return log->Value(replay.GetRecord(), static_cast<size_t>(column));
}

bool RTDataMgrFile::HasRecord() const
{
    return replay.HasRecord() && log->HasValues(replay.GetRecord());
}

double RTDataMgrFile::GetValue(const wxString& name)
{
    const ColumnMatcher::Match match = matcher.Find(name);
    if (match.column < 0) {
        DebugLog(0, "symbol not found : " + name);
        return -1.0;
    }
    const double value = CurrentValue(match.column);
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
