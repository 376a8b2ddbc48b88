#pragma once
// The ECU input while it is chosen: the input itself, the recording of its
// values (File > Record) and its line in the status strip, which says the
// state of the line to the ECU and whether it is recording, or why the last
// recording stopped or did not start until the user records again. The
// constants read from the ECU's pages go into the definition here, on the
// GUI thread, and the strip says how many pages were read, or why not.
#include "app/CommandLine.h"
#include "app/InputSession.h"
#include "app/LiveRecording.h"

#include <memory>

class RTDataMgrSerial;
class SymbolTable;

class EcuSession : public InputSession {
public:
    static constexpr int kPeriodMs = 300;

    // `table` is the installed definition (not owned). From `options`: the
    // definition file's name, the line speed for another firmware's link,
    // where recordings go.
    EcuSession(SymbolTable* table, const DashboardOptions& options);
    ~EcuSession() override;

    RTDataMgr* GetInput() override;
    int GetPeriodMs() const override { return kPeriodMs; }
    bool AfterTick(const ValueMap& served) override;
    void ShowStatus(StatusStrip& strip) override;
    bool TakeDefinitionChange() override;
    bool OnCommand(long id, bool checked) override;
    bool IsCommandEnabled(long id) override;
    bool IsCommandChecked(long id) override;

    const LiveRecording& GetRecording() const { return recording; }

    // What the last tick of `input` produced, `served` being the values it
    // served the gauges.
    static LiveRecording::Tick TickOf(const RTDataMgrSerial& input, const ValueMap& served);
    // Computes channels of the record `input` took.
    static LiveRecording::Compute ComputeOf(RTDataMgrSerial& input);

private:
    void StartRecording();
    // Closes the recording's file; a failure to write it is shown.
    void StopRecording();

    SymbolTable* table;
    DashboardOptions options;
    std::unique_ptr<RTDataMgrSerial> input;
    LiveRecording recording;
    wxString recordingProblem;
    wxString constantsStatus;
};
