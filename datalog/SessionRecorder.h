#pragma once
// Records a live ECU session to a new text log that the dashboard and the
// common log viewers open:
//
//   "tarnv3.ini"                                   the definition file's name
//   "Capture Date: Sun Jan 20 02:30:41 CET 2013"
//   Time<TAB>rpm<TAB>map...                        the recorded channels
//   s<TAB>rpm<TAB>kPa...                           their units (ISO-8859-1)
//   0.000<TAB>900<TAB>35.5...                      one line per fresh record
//
// The file is named after the date and time, "2013-01-20_02.30.41.msl", in
// the given folder (created when missing); a name already taken gets "-2",
// "-3", ... Records are written at least once a second of record time and
// then synced to the disk off the GUI thread. Before each write it checks
// that the file is still where it was: a file or folder deleted or replaced
// meanwhile gets its folder back and a new file with all that was recorded,
// and GetError() says so while the recording goes on. A write that fails
// (full disk, folder in the way) stops the recording with the file ending
// at its last whole record; GetError() then holds a text for the user and
// the dashboard goes on. A disk without room starts no recording and leaves
// no file behind.
//
// No clock inside: the caller passes the date of the start and each record's
// seconds since it.
#include "datalog/LogFileWriter.h"
#include "datalog/RecordedChannel.h"

#include <wx/datetime.h>

#include <memory>
#include <string>
#include <vector>

class SessionRecorder {
public:
    static constexpr double kFlushSeconds = 1.0;
    // Where recordings go unless the user names another folder.
    static constexpr const char* kDefaultFolder = "logs";
    // Less free space than this on the folder's disk starts no recording.
    static constexpr unsigned long long kMinFreeBytes = 256 * 1024;

    ~SessionRecorder() { Stop(); }

    // Starts a new file; false (GetError() says why) when it cannot be created.
    bool Start(const wxString& folder, const wxString& definitionName, std::vector<RecordedChannel> channels,
               const wxDateTime& now);
    // The same into the new file `filePath` (an existing file is not replaced).
    bool StartAt(const wxString& filePath, const wxString& definitionName, std::vector<RecordedChannel> channels,
                 const wxDateTime& now);
    // Adds one fresh ECU record: `values` in the order of GetChannels(),
    // `seconds` since the start. A value that is not finite (no value) is
    // written as an empty cell.
    // False when the recording is not running or has just stopped on an error.
    bool Append(double seconds, const std::vector<double>& values);
    // Writes what is pending now (a tick without a fresh record may call it).
    bool Flush();
    // Writes what is pending and closes the file.
    void Stop();

    bool IsRecording() const { return recording; }
    // Why the recording stopped or did not start; while it runs, what went
    // wrong and was mended (the file moved to a new one).
    const wxString& GetError() const { return error; }
    const wxString& GetPath() const { return path; }
    const std::vector<RecordedChannel>& GetChannels() const { return channels; }

    // "2013-01-20_02.30.41.msl"
    static wxString FileNameFor(const wxDateTime& when);
    // The title, header and units lines.
    static std::string HeaderText(const wxString& definitionName, const std::vector<RecordedChannel>& channels,
                                  const wxDateTime& when);

private:
    void Fail(const wxString& why);
    // Creates the first free file name of `base`; Failed sets `error`.
    LogFileWriter::Created CreateFile(LogFileWriter& writer, const wxString& prefix);
    // Moves on to a new file when the current one was deleted or replaced.
    bool KeepFileInPlace();
    // Writes the header into the file just created at `path`.
    bool Begin(const wxString& definitionName, const wxDateTime& now);

    std::unique_ptr<LogFileWriter> file = std::make_unique<LogFileWriter>();
    wxString folder;
    wxString base; // the path without ".msl"
    std::vector<RecordedChannel> channels;
    wxString path;
    wxString error;
    bool recording = false;
    std::string pending;
    double lastFlushSeconds = 0.0;
    double lastRecordSeconds = 0.0;
    bool flushedRecord = false;
};
