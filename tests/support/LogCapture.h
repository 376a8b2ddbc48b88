#pragma once
// Collects the debug log's messages, with their levels, while it lives, then
// restores the old target.
#include <wx/log.h>

#include <vector>

class LogCapture : public wxLog {
public:
    struct Record {
        wxLogLevel level;
        wxString text;
    };

    LogCapture() { previous = wxLog::SetActiveTarget(this); }
    ~LogCapture() override
    {
        // Messages of other threads wait for this one: they are ours too.
        wxLog::FlushActive();
        wxLog::SetActiveTarget(previous);
    }

    const std::vector<wxString>& messages() const { return lines; }
    const std::vector<Record>& records() const { return levelled; }
    // Whether some message equals `text` exactly.
    bool contains(const wxString& text) const;
    // Whether some message starts with `prefix`.
    bool containsPrefix(const wxString& prefix) const;
    void clear()
    {
        lines.clear();
        levelled.clear();
    }

protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo&) override
    {
        lines.push_back(msg);
        levelled.push_back({level, msg});
    }

private:
    wxLog* previous = nullptr;
    std::vector<wxString> lines;
    std::vector<Record> levelled;
};

inline bool LogCapture::contains(const wxString& text) const
{
    for (const wxString& line : lines)
        if (line == text)
            return true;
    return false;
}

inline bool LogCapture::containsPrefix(const wxString& prefix) const
{
    for (const wxString& line : lines)
        if (line.StartsWith(prefix))
            return true;
    return false;
}
