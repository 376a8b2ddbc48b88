#pragma once
// Records the ECU input's session: every record the input took is appended
// to a SessionRecorder once, in order, stamped with its fetch time since the
// first one. A tick that took no record writes out what is pending, so that
// a silent ECU still loses at most the last tick's records.
//
// Plain channels come from the record as it holds them (none for a channel
// the ECU did not send); computed channels are computed over that record.
#include "base/ValueMap.h"
#include "datalog/SessionRecorder.h"

#include <cstdint>
#include <functional>
#include <vector>

class SymbolTable;

class LiveRecording {
public:
    // The value of a computed channel over the record being added;
    // RTDataMgr::NoValue() for none.
    using Compute = std::function<double(const wxString& name)>;

    // Starts a new file in `folder` with the channels `table` records; false
    // (GetError() says why) when it cannot be created. The record numbered
    // `shownSequence` was shown before the start and is not written.
    bool Start(const wxString& folder, const wxString& definitionName, const SymbolTable& table,
               uint64_t shownSequence, Compute compute);
    // The same into the new file `path`.
    bool StartAt(const wxString& path, const wxString& definitionName, const SymbolTable& table,
                 uint64_t shownSequence, Compute compute);
    // One record the input took: numbered `sequence` (one written before is
    // skipped), fetched at `fetchedSeconds` on a steady clock, with its plain
    // channels. False once the recording has stopped (on an error: GetError() says why).
    bool Add(uint64_t sequence, double fetchedSeconds, const ValueMap& channels);
    // A tick without a fresh record: writes what is pending.
    bool Flush() { return recorder.Flush(); }
    void Stop() { recorder.Stop(); }

    bool IsRecording() const { return recorder.IsRecording(); }
    const wxString& GetError() const { return recorder.GetError(); }
    const wxString& GetPath() const { return recorder.GetPath(); }
    // Records written since the start.
    uint64_t GetRecordCount() const { return written; }

private:
    bool Begin(bool started, const SymbolTable& table, uint64_t shownSequence, Compute compute);

    SessionRecorder recorder;
    Compute compute;
    std::vector<bool> computed; // per recorded channel
    uint64_t lastSequence = 0;
    uint64_t written = 0;
    bool clockSet = false; // whether the first record set the clock
    double firstFetchSeconds = 0.0;
    std::vector<double> values;
};
