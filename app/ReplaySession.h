#pragma once
// A recorded log replayed as the input: the input, its replay controls
// (pause, speed, seek; menu items and keys) and its line in the status
// strip: the log's name, where the replay stands, its speed, and whether it
// is paused or at its end. Each tick moves the replay by the real time since
// the last one, so that a slow tick does not slow the replay down. A log
// whose records come faster than the ticks is ticked at its own rate, up to
// kFastestPeriodMs apart.
#include "app/InputSession.h"
#include "datalog/RTDataMgrFile.h"

#include <wx/stopwatch.h>

class ReplaySession : public InputSession {
public:
    static constexpr int kPeriodMs = 100;
    // 30 frames a second.
    static constexpr int kFastestPeriodMs = 33;
    // Seconds a seek moves.
    static constexpr double kSeekSeconds = 10.0;

    // Reads `datalogFile` whole; `table` (may be null; not owned) finds the
    // columns of its gauges' channels.
    ReplaySession(const wxString& datalogFile, const SymbolTable* table);

    RTDataMgr* GetInput() override { return &input; }
    int GetPeriodMs() const override;
    void BeforeTick() override;
    void ShowStatus(StatusStrip& strip) override;
    // The log's refusal; a log without columns, or with none that serves a
    // gauge of the definition file, is no log for this dashboard either.
    wxString GetRefusal() const override { return refusal; }
    // Finds the columns again for `table`; the replay stays where it is.
    bool TakeDefinition(SymbolTable* table) override;
    bool OnCommand(long id, bool checked) override;
    long CommandOfKey(const wxKeyEvent& key) const override;
    bool IsCommandEnabled(long id) override;
    bool IsCommandChecked(long id) override;

    LogReplay& GetReplay() { return input.GetReplay(); }

private:
    static wxString RefusalOf(const RTDataMgrFile& log, const SymbolTable* table);

    wxString file;
    RTDataMgrFile input;
    wxString refusal;
    wxStopWatch sinceTick; // after the input: runs from when the log was read
};
