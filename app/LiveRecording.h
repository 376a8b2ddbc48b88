#pragma once
// Records the ECU input's session: after each tick, the record the input
// took is appended to a SessionRecorder if it is fresh (one not appended
// before), stamped with its fetch time since the first one. A tick without a
// fresh record writes out what is pending, so that a silent ECU still loses
// at most the last tick's record.
#include "datalog/SessionRecorder.h"

#include <cstdint>
#include <vector>

class RTDataMgrSerial;
class SymbolTable;

class LiveRecording {
public:
    // Starts a new file in `folder` with the channels `table` records; false
    // (GetError() says why) when it cannot be created. The record the input
    // holds now was shown before the start and is not written.
    bool Start(const wxString& folder, const wxString& definitionName, const SymbolTable& table,
               const RTDataMgrSerial& input);
    // After a tick of `input`; false once the recording has stopped (on an
    // error: GetError() says why).
    bool AfterTick(RTDataMgrSerial& input);
    void Stop() { recorder.Stop(); }

    bool IsRecording() const { return recorder.IsRecording(); }
    const wxString& GetError() const { return recorder.GetError(); }
    const wxString& GetPath() const { return recorder.GetPath(); }

private:
    SessionRecorder recorder;
    uint64_t lastSequence = 0;
    bool clockSet = false; // whether the first record set the clock
    double firstFetchSeconds = 0.0;
    std::vector<double> values;
};
