#pragma once
// The ECU input while it is chosen: the input itself, the recording of its
// values (File > Record, or from the start with --record) and its line in
// the status strip, which says the state of the line to the ECU, the rate of
// records reached when the input samples on its own, and whether it is
// recording, or why the last recording stopped or did not start until the
// user records again. The input samples on its own at --rate, and back to
// back for another firmware's file; while that is faster than the tick, the
// frame ticks at about 30 frames per second to show the newest record. The
// constants read from the ECU's pages go into the definition here, on the
// GUI thread, and the strip says how many pages were read, or why not.
#include "app/CommandLine.h"
#include "app/InputSession.h"
#include "datalog/LiveRecording.h"

#include "ecu/RTDataMgrSerial.h"

#include <memory>

class SymbolTable;

class EcuSession : public InputSession {
public:
    static constexpr int kPeriodMs = 300;
    static constexpr int kFastPeriodMs = 33;

    // `table` is the installed definition (not owned). From `options`: the
    // definition file's name, the line speed for another firmware's link,
    // where recordings go.
    EcuSession(SymbolTable* table, const DashboardOptions& options);
    ~EcuSession() override;

    RTDataMgr* GetInput() override;
    int GetPeriodMs() const override;
    bool AfterTick(const ValueMap& served) override;
    void ShowStatus(StatusStrip& strip) override;
    bool TakeDefinitionChange() override;
    // Keeps the link when the new file's link is the same. A recording ends
    // with the records of the old file and goes on in a new file, whose
    // columns are the new file's.
    bool TakeDefinition(SymbolTable* definition) override;
    bool OnCommand(long id, bool checked) override;
    bool IsCommandEnabled(long id) override;
    bool IsCommandChecked(long id) override;

    const LiveRecording& GetRecording() const { return recording; }

    // How the input samples with `options` for the definition `table`.
    static RTDataMgrSerial::Sampling SamplingOf(const DashboardOptions& options, const SymbolTable& table);
    // Computes channels of the record `input` holds.
    static LiveRecording::Compute ComputeOf(RTDataMgrSerial& input);
    // Adds the record `input` holds to `recording`.
    static bool AddRecord(LiveRecording& recording, const RTDataMgrSerial& input);

private:
    void StartRecording();
    // Closes the recording's file; a failure to write it is shown.
    void StopRecording();

    SymbolTable* table;
    DashboardOptions options;
    std::unique_ptr<RTDataMgrSerial> input;
    LiveRecording recording;
    bool tookRecord = false; // since the last tick
    wxString recordingProblem;
    wxString constantsStatus;
};
