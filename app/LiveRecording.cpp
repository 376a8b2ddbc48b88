#include "app/LiveRecording.h"

#include "ecu/RTDataMgrSerial.h"

#include <chrono>

namespace {

double SecondsOf(RTDataMgrSerial::Clock::time_point at)
{
    return std::chrono::duration<double>(at.time_since_epoch()).count();
}

} // namespace

bool LiveRecording::Start(const wxString& folder, const wxString& definitionName, const SymbolTable& table,
                          const RTDataMgrSerial& input)
{
    lastSequence = input.getRecordSequence();
    clockSet = false;
    if (!recorder.Start(folder, definitionName, RecordedChannelsOf(table), wxDateTime::Now()))
        return false;
    values.assign(recorder.GetChannels().size(), 0.0);
    return true;
}

bool LiveRecording::AfterTick(RTDataMgrSerial& input)
{
    if (!recorder.IsRecording())
        return false;
    const uint64_t sequence = input.getRecordSequence();
    if (sequence == lastSequence)
        return recorder.Flush();
    lastSequence = sequence;
    const double fetched = SecondsOf(input.getRecordTime());
    if (!clockSet) {
        clockSet = true;
        firstFetchSeconds = fetched;
    }
    const std::vector<RecordedChannel>& channels = recorder.GetChannels();
    for (size_t i = 0; i < channels.size(); ++i)
        values[i] = input.recordValue(channels[i].name);
    return recorder.Append(fetched - firstFetchSeconds, values);
}
