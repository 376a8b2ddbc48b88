#include "datalog/LiveRecording.h"

#include "definition/SymbolTable.h"
#include "dispatch/RTDataMgr.h"

bool LiveRecording::Start(const wxString& folder, const wxString& definitionName, const SymbolTable& table,
                          uint64_t shownSequence, Compute computeChannel)
{
    return Begin(recorder.Start(folder, definitionName, RecordedChannelsOf(table), wxDateTime::Now()), table,
                 shownSequence, std::move(computeChannel));
}

bool LiveRecording::StartAt(const wxString& path, const wxString& definitionName, const SymbolTable& table,
                            uint64_t shownSequence, Compute computeChannel)
{
    return Begin(recorder.StartAt(path, definitionName, RecordedChannelsOf(table), wxDateTime::Now()), table,
                 shownSequence, std::move(computeChannel));
}

bool LiveRecording::Begin(bool started, const SymbolTable& table, uint64_t shownSequence, Compute computeChannel)
{
    lastSequence = shownSequence;
    written = 0;
    clockSet = false;
    compute = std::move(computeChannel);
    if (!started)
        return false;
    const std::vector<RecordedChannel>& channels = recorder.GetChannels();
    computed.clear();
    for (const RecordedChannel& channel : channels) {
        const Symbol* symbol = table.findSymbol(channel.name);
        computed.push_back(symbol && !symbol->isScalarChannel());
    }
    values.assign(channels.size(), 0.0);
    return true;
}

bool LiveRecording::Add(uint64_t sequence, double fetchedSeconds, const ValueMap& channels)
{
    if (!recorder.IsRecording())
        return false;
    if (sequence <= lastSequence)
        return true;
    lastSequence = sequence;
    if (!clockSet) {
        clockSet = true;
        firstFetchSeconds = fetchedSeconds;
    }
    const std::vector<RecordedChannel>& recorded = recorder.GetChannels();
    for (size_t i = 0; i < recorded.size(); ++i) {
        if (computed[i]) {
            values[i] = compute ? compute(recorded[i].name) : RTDataMgr::NoValue();
            continue;
        }
        const ValueMap::const_iterator found = channels.find(recorded[i].name);
        values[i] = found != channels.end() ? found->second : RTDataMgr::NoValue();
    }
    if (!recorder.Append(fetchedSeconds - firstFetchSeconds, values))
        return false;
    ++written;
    return true;
}
