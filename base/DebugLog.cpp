#include "base/DebugLog.h"

#include "base/DebugLogFile.h"
#include "base/FatalSignals.h"

#include <wx/log.h>

#include <atomic>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

// Set once by InitDebugLog and never freed: a thread may still be logging
// through it while the process ends.
std::atomic<DebugLogFile*> g_file{nullptr};

// Takes the toolkit's own messages into the same file.
class DebugLogTarget : public wxLog {
public:
    explicit DebugLogTarget(DebugLogFile* logFile) : file(logFile) {}

protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo& info) override
    {
        // As the toolkit's stream target: debug and trace output is not the file's.
        if (level == wxLOG_Debug || level == wxLOG_Trace) {
            wxLog::DoLogRecord(level, msg, info);
            return;
        }
        file->append(level == wxLOG_Error ? 2 : level == wxLOG_Warning ? 1 : 0, msg);
    }

private:
    DebugLogFile* file;
};

void FlushFromSignal()
{
    if (DebugLogFile* file = g_file.load())
        file->flushFromSignal();
}

void FlushAtExit()
{
    if (DebugLogFile* file = g_file.load())
        file->shutdown();
}

} // namespace

void DebugLog(unsigned level, const wxString& text)
{
    if (DebugLogFile* file = g_file.load(std::memory_order_acquire)) {
        if (wxLog::IsEnabled()) // a wxLogNull silences it, as it silences the toolkit
            file->append(level, text);
        return;
    }
    switch (level) {
    case 1:
        wxLogWarning("%s", text);
        break;
    case 2:
        wxLogError("%s", text);
        break;
    default:
        wxLogMessage("%s", text);
        break;
    }
}

bool DebugLogEnabled()
{
    if (DebugLogFile* file = g_file.load(std::memory_order_acquire))
        return file->isOn() && wxLog::IsEnabled();
    return wxLog::IsLevelEnabled(wxLOG_Message, wxString());
}

void InitDebugLog(const wxString& folder, uint64_t limitBytes)
{
    // A closed file stays allocated, even past exit: another thread may
    // still hold it.
    static auto* retired = new std::vector<DebugLogFile*>;
    if (DebugLogFile* previous = g_file.exchange(nullptr)) {
        previous->close();
        retired->push_back(previous);
    }
    auto* file = new DebugLogFile(std::string(folder.fn_str()), limitBytes);
    g_file.store(file, std::memory_order_release);
    delete wxLog::SetActiveTarget(new DebugLogTarget(file));
    static bool hooked = false;
    if (!hooked) {
        hooked = true;
        std::atexit(FlushAtExit);
        RunOnFatalSignals(FlushFromSignal);
    }
}

void InitDebugLog()
{
    InitDebugLog(wxString(), kDefaultDebugLogLimit);
}

void FlushDebugLog()
{
    if (DebugLogFile* file = g_file.load(std::memory_order_acquire))
        file->flush();
}

bool ParseDebugLogLimit(const wxString& text, uint64_t& bytes, wxString& error)
{
    const bool negative = text.StartsWith("-");
    const wxString digits = negative ? text.Mid(1) : text;
    uint64_t value = 0;
    bool wellFormed = !digits.empty();
    for (wxString::const_iterator it = digits.begin(); wellFormed && it != digits.end(); ++it) {
        const wxUniChar c = *it;
        const unsigned digit = c.GetValue() - '0';
        if (c.GetValue() < '0' || digit > 9 ||
            value > (std::numeric_limits<uint64_t>::max() - digit) / 10)
            wellFormed = false;
        else
            value = value * 10 + digit;
    }
    if (!wellFormed) {
        error = "--log-limit needs a whole number of bytes (0 turns the trace off), not '" +
                text + "'";
        return false;
    }
    if (negative) {
        error = "--log-limit cannot be negative: " + text;
        return false;
    }
    bytes = value;
    return true;
}
