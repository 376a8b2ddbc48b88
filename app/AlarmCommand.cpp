#include "app/AlarmCommand.h"

#include "base/DebugLog.h"

#include <wx/log.h>
#include <wx/process.h>

struct AlarmCommand::Child {
    long pid = 0;
    bool running = false;
    bool reportedFailure = false;
};

namespace {

// Deletes itself when the command ends; tells the state it shares, which may
// outlive the dashboard's own record of it.
class AlarmProcess : public wxProcess {
public:
    AlarmProcess(std::shared_ptr<AlarmCommand::Child> state, const wxString& what)
        : child(std::move(state)), command(what)
    {
    }
    void OnTerminate(int, int status) override
    {
        child->running = false;
        if (status != 0 && !child->reportedFailure) {
            child->reportedFailure = true;
            DebugLog(1, wxString::Format("alarm command '%s' failed (exit status %d)", command,
                                         status));
        }
        delete this;
    }

private:
    std::shared_ptr<AlarmCommand::Child> child;
    wxString command;
};

} // namespace

AlarmCommand::AlarmCommand(const wxString& text, long gapMs)
    : command(text), minGapMs(gapMs), child(std::make_shared<Child>())
{
}

AlarmCommand::~AlarmCommand()
{
    if (child->running && child->pid > 0) {
        wxLogNull quiet;
        wxProcess::Kill(int(child->pid), wxSIGTERM, wxKILL_CHILDREN);
    }
}

bool AlarmCommand::IsRunning() const
{
    return child->running;
}

bool AlarmCommand::Take(const std::vector<bool>& danger)
{
    bool entered = false;
    for (size_t i = 0; i < danger.size(); ++i)
        entered = entered || (danger[i] && (i >= wasDanger.size() || !wasDanger[i]));
    wasDanger = danger;
    if (!entered || command.empty())
        return false;
    if (runs > 0 && std::chrono::steady_clock::now() - lastRun < std::chrono::milliseconds(minGapMs))
        return false;
    return Run();
}

bool AlarmCommand::Run()
{
    if (child->running) {
        if (!reportedHang) {
            reportedHang = true;
            DebugLog(1, wxString::Format("alarm command '%s' still runs; not started again", command));
        }
        return false;
    }
    lastRun = std::chrono::steady_clock::now();
    ++runs;
    const char* argv[] = {"/bin/sh", "-c", nullptr, nullptr};
    const wxScopedCharBuffer bytes = command.utf8_str();
    argv[2] = bytes.data();
    AlarmProcess* process = new AlarmProcess(child, command);
    long pid = 0;
    {
        wxLogNull quiet; // a failure is the debug log's, never a dialog
        pid = wxExecute(argv, wxEXEC_ASYNC, process);
    }
    if (pid <= 0) {
        delete process;
        if (!child->reportedFailure) {
            child->reportedFailure = true;
            DebugLog(1, wxString::Format("alarm command '%s' could not be started", command));
        }
        return false;
    }
    child->pid = pid;
    child->running = true;
    DebugLog(0, wxString::Format("alarm command '%s' started", command));
    return true;
}
