#pragma once
// --alarm-command: a command (a buzzer, a light) run through the shell when a
// shown value enters a danger band, at most once per kMinGapMs, never waited
// for. A command that cannot run or still runs when it is due again is
// reported once in the debug log, and the dashboard goes on.
#include <wx/string.h>

#include <chrono>
#include <memory>
#include <vector>

class AlarmCommand {
public:
    static constexpr long kMinGapMs = 5000;

    // An empty command runs nothing. `minGapMs`: the least time between two runs.
    explicit AlarmCommand(const wxString& command, long minGapMs = kMinGapMs);
    // Ends a command of ours that still runs.
    ~AlarmCommand();
    AlarmCommand(const AlarmCommand&) = delete;
    AlarmCommand& operator=(const AlarmCommand&) = delete;

    // After each tick: which shown values are in danger now (one flag per
    // gauge). A value that was not before is one that enters. True when the
    // command was started.
    bool Take(const std::vector<bool>& danger);
    // Forgets which values were in danger (a new input).
    void Forget() { wasDanger.clear(); }
    int GetRuns() const { return runs; }
    // Whether a command of ours still runs.
    bool IsRunning() const;

    struct Child; // the running command's state, shared with its process

private:
    bool Run();

    wxString command;
    long minGapMs;
    std::vector<bool> wasDanger;
    std::chrono::steady_clock::time_point lastRun;
    int runs = 0;
    bool reportedHang = false;
    std::shared_ptr<Child> child;
};
