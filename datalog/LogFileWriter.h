#pragma once
// The file a recording is written to. Writes reach the operating system at
// once; Sync() has a worker thread push them on to the disk (fdatasync), so
// the GUI thread never waits for a slow card while a power cut still loses
// only what came after the last sync. A write that fails (a full disk) is
// taken back whole: the file ends where the last good write ended. The only
// file-system code of recording.
#include <wx/string.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <sys/types.h>
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
    // False when the data could not be written (nothing of it stays in the
    // file); GetError() says why.
    bool Write(const std::string& data);
    // Asks for everything written so far to reach the disk; returns at once.
    void Sync();
    // Waits for the last sync, closes; false when any write or sync failed.
    bool Close();
    // Closes and deletes the file.
    void Remove();

    enum class Place { Same, Gone, Replaced };
    // Whether the open file is still the one its path names: Gone when it was
    // deleted (or its folder was), Replaced when the path names another.
    Place Where() const;
    // Appends everything written to this file to `target`, which may be read
    // even after this one was deleted; false when that fails.
    bool CopyInto(LogFileWriter& target);

    bool IsOpen() const { return fd >= 0; }
    // "PATH: No space left on device"; empty while all went well.
    wxString GetError();

private:
    void SyncLoop();
    void SetError(int error);

    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
    uint64_t written = 0; // bytes of whole writes
    wxString path;
    std::thread syncer;
    std::mutex mutex; // guards what follows
    std::condition_variable wake;
    bool syncWanted = false;
    bool closing = false;
    wxString error;
};
