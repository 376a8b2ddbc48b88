#include "app/LiveRecording.h"

#include "definition/SymbolTable.h"
#include "dispatch/RTDataMgr.h"

bool LiveRecording::Start(const wxString& folder, const wxString& definitionName, const SymbolTable& table,
                          uint64_t shownSequence, Compute computeChannel)
{
    lastSequence = shownSequence;
    clockSet = false;
    compute = std::move(computeChannel);
    if (!recorder.Start(folder, definitionName, RecordedChannelsOf(table), wxDateTime::Now()))
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

bool LiveRecording::AfterTick(const Tick& tick)
{
    if (!recorder.IsRecording())
        return false;
    if (tick.sequence == lastSequence)
        return recorder.Flush();
    lastSequence = tick.sequence;
    if (!clockSet) {
        clockSet = true;
        firstFetchSeconds = tick.fetchedSeconds;
    }
    const std::vector<RecordedChannel>& channels = recorder.GetChannels();
    for (size_t i = 0; i < channels.size(); ++i) {
        const ValueMap& from = computed[i] ? tick.served : tick.channels;
        const ValueMap::const_iterator found = from.find(channels[i].name);
        if (found != from.end())
            values[i] = found->second;
        else
            values[i] = computed[i] && compute ? compute(channels[i].name) : RTDataMgr::NoValue();
    }
    return recorder.Append(tick.fetchedSeconds - firstFetchSeconds, values);
}
