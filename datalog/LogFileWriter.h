#pragma once
// The file a recording is written to. Writes reach the operating system at
// once; Sync() has a worker thread push them on to the disk (fdatasync), so
// the GUI thread never waits for a slow card while a power cut still loses
// only what came after the last sync. The only file-system code of recording.
#include <wx/string.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>

class LogFileWriter {
public:
    LogFileWriter() = default;
    LogFileWriter(const LogFileWriter&) = delete;
    LogFileWriter& operator=(const LogFileWriter&) = delete;
    ~LogFileWriter() { Close(); }

    enum class Created { Yes, NameTaken, Failed };
    // Creates `path`; an existing file is never replaced (NameTaken).
    Created Create(const wxString& path);
    // False when the data could not be written; GetError() says why.
    bool Write(const std::string& data);
    // Asks for everything written so far to reach the disk; returns at once.
    void Sync();
    // Waits for the last sync, closes; false when any write or sync failed.
    bool Close();

    bool IsOpen() const { return file != nullptr; }
    // "PATH: No space left on device"; empty while all went well.
    wxString GetError();

private:
    void SyncLoop();
    void SetError(int error);

    std::FILE* file = nullptr;
    wxString path;
    std::thread syncer;
    std::mutex mutex; // guards what follows
    std::condition_variable wake;
    bool syncWanted = false;
    bool closing = false;
    wxString error;
};
