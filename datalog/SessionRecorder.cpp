#include "datalog/SessionRecorder.h"

#include <wx/filefn.h>
#include <wx/utils.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

// A slow stream of records still reaches the file within a second; a fast
// one no later than this much text.
const size_t kMaxPending = 64 * 1024;
const int kTimeDecimals = 3;
const int kMaxNameTries = 99;
// Viewers read the capture date in English, whatever the user's locale.
const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Text for one cell or title: ISO-8859-1 as the viewers write it, no layout
// characters, '?' for what ISO-8859-1 lacks.
std::string Latin1(const wxString& text, char quoteReplacement = '"')
{
    std::string out;
    out.reserve(text.length());
    for (wxUniChar c : text) {
        const wxUint32 code = c.GetValue();
        if (code == '\t' || code == '\n' || code == '\r')
            out += ' ';
        else if (code == '"')
            out += quoteReplacement;
        else
            out += code < 0x100 ? static_cast<char>(code) : '?';
    }
    return out;
}

// The C locale's spelling whatever LC_NUMERIC says.
void AppendNumber(std::string& out, double value, int decimals)
{
    if (!std::isfinite(value))
        return; // no value: an empty cell
    char text[400];
    const std::to_chars_result written = decimals < 0
        ? std::to_chars(text, text + sizeof text, value)
        : std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    const char* start = text;
    // "-0.0" from a tiny negative value reads better as "0.0".
    if (*start == '-' && std::all_of(text + 1, written.ptr, [](char c) { return c == '0' || c == '.'; }))
        ++start;
    out.append(start, static_cast<size_t>(written.ptr - start));
}

} // namespace

wxString SessionRecorder::FileNameFor(const wxDateTime& when)
{
    return when.Format("%Y-%m-%d_%H.%M.%S.msl");
}

std::string SessionRecorder::HeaderText(const wxString& definitionName,
                                        const std::vector<RecordedChannel>& columns, const wxDateTime& when)
{
    const wxString date = wxString::Format("%s %s %02d %02d:%02d:%02d %s %d", kDays[when.GetWeekDay()],
                                           kMonths[when.GetMonth()], when.GetDay(), when.GetHour(),
                                           when.GetMinute(), when.GetSecond(), when.Format("%Z"), when.GetYear());
    std::string text = "\"" + Latin1(definitionName, '\'') + "\"\n";
    text += "\"Capture Date: " + Latin1(date, '\'') + "\"\n";
    text += "Time";
    for (const RecordedChannel& channel : columns)
        text += "\t" + Latin1(channel.name);
    text += "\ns";
    for (const RecordedChannel& channel : columns)
        text += "\t" + Latin1(channel.units);
    text += "\n";
    return text;
}

bool SessionRecorder::Start(const wxString& into, const wxString& definitionName,
                            std::vector<RecordedChannel> recorded, const wxDateTime& now)
{
    Stop();
    error.clear();
    path.clear();
    folder = into;
    channels = std::move(recorded);
    {
        wxLogNull quiet; // the failure is reported below, to the user
        if (!wxDirExists(folder) && !wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL)) {
            error = "Cannot record: cannot create the folder " + folder + ": " + wxSysErrorMsgStr();
            return false;
        }
    }
    wxLongLong freeBytes;
    if (wxGetDiskSpace(folder, nullptr, &freeBytes) && freeBytes < wxLongLong(kMinFreeBytes)) {
        error = "Cannot record: the disk of " + folder + " is full";
        return false;
    }
    base = wxFileName(folder, FileNameFor(now)).GetFullPath().BeforeLast('.');
    switch (CreateFile(*file, "Cannot record: ")) {
    case LogFileWriter::Created::Yes:
        break;
    case LogFileWriter::Created::NameTaken:
        error = "Cannot record: every file name for " + base + " is taken";
        return false;
    case LogFileWriter::Created::Failed:
        return false;
    }
    return Begin(definitionName, now);
}

bool SessionRecorder::StartAt(const wxString& filePath, const wxString& definitionName,
                              std::vector<RecordedChannel> recorded, const wxDateTime& now)
{
    Stop();
    error.clear();
    path.clear();
    channels = std::move(recorded);
    folder = wxFileName(filePath).GetPath();
    base = filePath.EndsWith(".msl") ? filePath.BeforeLast('.') : filePath;
    switch (file->Create(filePath)) {
    case LogFileWriter::Created::Yes:
        path = filePath;
        return Begin(definitionName, now);
    case LogFileWriter::Created::NameTaken:
        error = "Cannot record: " + filePath + " exists";
        return false;
    case LogFileWriter::Created::Failed:
        break;
    }
    error = "Cannot record: " + file->GetError();
    return false;
}

bool SessionRecorder::Begin(const wxString& definitionName, const wxDateTime& now)
{
    if (!file->Write(HeaderText(definitionName, channels, now))) {
        // Not even the header fits: leave no empty file behind.
        error = "Cannot record: " + file->GetError();
        file->Remove();
        return false;
    }
    file->Sync();
    recording = true;
    flushedRecord = false;
    pending.clear();
    lastFlushSeconds = lastRecordSeconds = 0.0;
    return true;
}

LogFileWriter::Created SessionRecorder::CreateFile(LogFileWriter& writer, const wxString& prefix)
{
    for (int attempt = 1; attempt <= kMaxNameTries; ++attempt) {
        const wxString candidate = base + (attempt == 1 ? wxString() : wxString::Format("-%d", attempt)) + ".msl";
        const LogFileWriter::Created created = writer.Create(candidate);
        if (created == LogFileWriter::Created::Yes)
            path = candidate;
        if (created == LogFileWriter::Created::Failed)
            error = prefix + writer.GetError();
        if (created != LogFileWriter::Created::NameTaken)
            return created;
    }
    return LogFileWriter::Created::NameTaken;
}

bool SessionRecorder::KeepFileInPlace()
{
    const LogFileWriter::Place place = file->Where();
    if (place == LogFileWriter::Place::Same)
        return true;
    const wxString lost = path;
    {
        wxLogNull quiet;
        if (!wxDirExists(folder) && !wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL)) {
            Fail(lost + " was deleted, and the folder cannot be made again: " + wxSysErrorMsgStr());
            return false;
        }
    }
    auto moved = std::make_unique<LogFileWriter>();
    const LogFileWriter::Created created = CreateFile(*moved, "Recording stopped: ");
    if (created != LogFileWriter::Created::Yes) {
        const wxString why = created == LogFileWriter::Created::Failed ? moved->GetError() : "no free file name";
        path = lost;
        Fail(lost + (place == LogFileWriter::Place::Gone ? " was deleted" : " was replaced") +
             ", and no new file can be made: " + why);
        return false;
    }
    // The deleted file can still be read: the new one starts with all of it.
    if (!file->CopyInto(*moved)) {
        const wxString why = moved->GetError().empty() ? file->GetError() : moved->GetError();
        file = std::move(moved);
        Fail(why);
        return false;
    }
    file->Close();
    file = std::move(moved);
    error = lost + (place == LogFileWriter::Place::Gone ? " was deleted" : " was replaced") +
            "; the recording is now in " + path;
    return true;
}

bool SessionRecorder::Append(double seconds, const std::vector<double>& values)
{
    if (!recording)
        return false;
    if (values.size() != channels.size()) {
        Fail(wxString::Format("%zu values for %zu channels", values.size(), channels.size()));
        return false;
    }
    AppendNumber(pending, seconds, kTimeDecimals);
    for (size_t i = 0; i < values.size(); ++i) {
        pending += '\t';
        AppendNumber(pending, values[i], channels[i].decimals);
    }
    pending += '\n';
    lastRecordSeconds = seconds;
    if (!flushedRecord) {
        // The first record starts the clock of the flushes.
        flushedRecord = true;
        lastFlushSeconds = seconds;
        return true;
    }
    const double sinceFlush = seconds - lastFlushSeconds;
    if (sinceFlush >= kFlushSeconds || sinceFlush < 0 || pending.size() >= kMaxPending)
        return Flush();
    return true;
}

bool SessionRecorder::Flush()
{
    if (!recording)
        return false;
    if (!pending.empty()) {
        if (!KeepFileInPlace())
            return false;
        if (!file->Write(pending)) {
            Fail(file->GetError());
            return false;
        }
        pending.clear();
        file->Sync();
    }
    lastFlushSeconds = lastRecordSeconds;
    return true;
}

void SessionRecorder::Stop()
{
    if (!recording)
        return;
    if (!Flush())
        return;
    recording = false;
    if (!file->Close())
        error = "Recording stopped: " + file->GetError();
}

void SessionRecorder::Fail(const wxString& why)
{
    error = "Recording stopped: " + why;
    recording = false;
    pending.clear();
    file->Close();
}
