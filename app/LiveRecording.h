#pragma once
// Records the ECU input's session: after each tick, the record the input
// took is appended to a SessionRecorder if it is fresh (one not appended
// before), stamped with its fetch time since the first one. A tick without a
// fresh record writes out what is pending, so that a silent ECU still loses
// at most the last tick's record.
//
// The values are those the tick produced: plain channels as the record holds
// them (none for a channel the ECU did not send), computed channels as the
// tick served them to the gauges. Only a computed channel no gauge shows is
// computed for the recording, once per fresh record.
#include "base/ValueMap.h"
#include "datalog/SessionRecorder.h"

#include <cstdint>
#include <functional>
#include <vector>

class SymbolTable;

class LiveRecording {
public:
    // What one tick of the ECU input produced.
    struct Tick {
        uint64_t sequence;        // of the record it took: 0 none yet; unchanged: not fresh
        double fetchedSeconds;    // when that record was fetched, on a steady clock
        const ValueMap& channels; // the record's plain channels
        const ValueMap& served;   // what the tick served the gauges
    };
    // The value of a computed channel of the record taken; RTDataMgr::NoValue() for none.
    using Compute = std::function<double(const wxString& name)>;

    // Starts a new file in `folder` with the channels `table` records; false
    // (GetError() says why) when it cannot be created. The record numbered
    // `shownSequence` was shown before the start and is not written.
    bool Start(const wxString& folder, const wxString& definitionName, const SymbolTable& table,
               uint64_t shownSequence, Compute compute);
    // False once the recording has stopped (on an error: GetError() says why).
    bool AfterTick(const Tick& tick);
    void Stop() { recorder.Stop(); }

    bool IsRecording() const { return recorder.IsRecording(); }
    const wxString& GetError() const { return recorder.GetError(); }
    const wxString& GetPath() const { return recorder.GetPath(); }

private:
    SessionRecorder recorder;
    Compute compute;
    std::vector<bool> computed; // per recorded channel
    uint64_t lastSequence = 0;
    bool clockSet = false; // whether the first record set the clock
    double firstFetchSeconds = 0.0;
    std::vector<double> values;
};
