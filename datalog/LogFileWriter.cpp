#include "datalog/LogFileWriter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

LogFileWriter::Created LogFileWriter::Create(const wxString& filePath)
{
    Close();
    path = filePath;
    written = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        error.clear();
        syncWanted = false;
        closing = false;
    }
    // Readable too: a file deleted while open is copied from here. O_EXCL:
    // created here or not at all.
    fd = ::open(static_cast<const char*>(path.fn_str()), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        const int why = errno;
        if (why == EEXIST)
            return Created::NameTaken;
        SetError(why);
        return Created::Failed;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
        device = info.st_dev;
        inode = info.st_ino;
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
    if (fd < 0)
        return false;
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        SetError(n < 0 ? errno : ENOSPC);
        // A cut line would read as a damaged record: take the part back.
        if (::ftruncate(fd, static_cast<off_t>(written)) == 0)
            ::lseek(fd, static_cast<off_t>(written), SEEK_SET);
        return false;
    }
    written += done;
    return GetError().empty();
}

void LogFileWriter::Sync()
{
    if (fd < 0)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex);
        syncWanted = true;
    }
    wake.notify_one();
}

void LogFileWriter::SyncLoop()
{
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
    if (fd < 0)
        return GetError().empty();
    Sync();
    {
        std::lock_guard<std::mutex> lock(mutex);
        closing = true;
    }
    wake.notify_one();
    syncer.join();
    if (::close(fd) != 0)
        SetError(errno);
    fd = -1;
    return GetError().empty();
}

void LogFileWriter::Remove()
{
    if (fd < 0)
        return;
    const bool ours = Where() == Place::Same;
    Close();
    if (ours)
        ::unlink(static_cast<const char*>(path.fn_str()));
}

LogFileWriter::Place LogFileWriter::Where() const
{
    struct stat named {};
    if (fd < 0 || ::stat(static_cast<const char*>(path.fn_str()), &named) != 0)
        return Place::Gone;
    if (named.st_dev != device || named.st_ino != inode)
        return Place::Replaced;
    struct stat open {};
    return ::fstat(fd, &open) == 0 && open.st_nlink > 0 ? Place::Same : Place::Gone;
}

bool LogFileWriter::CopyInto(LogFileWriter& target)
{
    std::vector<char> buffer(64 * 1024);
    uint64_t at = 0;
    while (at < written) {
        const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            SetError(n < 0 ? errno : EIO);
            return false;
        }
        if (!target.Write(std::string(buffer.data(), static_cast<size_t>(n))))
            return false;
        at += static_cast<uint64_t>(n);
    }
    return true;
}
