#include "datalog/LogFileWriter.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

LogFileWriter::Created LogFileWriter::Create(const wxString& filePath)
{
    Close();
    path = filePath;
    {
        std::lock_guard<std::mutex> lock(mutex);
        error.clear();
        syncWanted = false;
        closing = false;
    }
    // "x": created here or not at all (O_EXCL).
    file = std::fopen(static_cast<const char*>(path.fn_str()), "wbx");
    if (!file) {
        const int why = errno;
        if (why == EEXIST)
            return Created::NameTaken;
        SetError(why);
        return Created::Failed;
    }
    syncer = std::thread(&LogFileWriter::SyncLoop, this);
    return Created::Yes;
}

void LogFileWriter::SetError(int why)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (error.empty())
        error = path + ": " + wxString(std::strerror(why));
}

wxString LogFileWriter::GetError()
{
    std::lock_guard<std::mutex> lock(mutex);
    return error;
}

bool LogFileWriter::Write(const std::string& data)
{
    if (!file)
        return false;
    errno = 0;
    if (std::fwrite(data.data(), 1, data.size(), file) != data.size() || std::fflush(file) != 0) {
        SetError(errno ? errno : EIO);
        return false;
    }
    return GetError().empty();
}

void LogFileWriter::Sync()
{
    if (!file)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        syncWanted = true;
    }
    wake.notify_one();
}

void LogFileWriter::SyncLoop()
{
    const int fd = fileno(file);
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return syncWanted || closing; });
        if (!syncWanted && closing)
            return;
        syncWanted = false;
        lock.unlock();
        const int result = fdatasync(fd);
        const int why = errno;
        lock.lock();
        if (result != 0 && error.empty())
            error = path + ": " + wxString(std::strerror(why));
    }
}

bool LogFileWriter::Close()
{
    if (!file)
        return GetError().empty();
    Sync();
    {
        std::lock_guard<std::mutex> lock(mutex);
        closing = true;
    }
    wake.notify_one();
    syncer.join();
    if (std::fclose(file) != 0)
        SetError(errno);
    file = nullptr;
    return GetError().empty();
}
