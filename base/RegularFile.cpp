#include "base/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

namespace {

bool Fail(std::string& error, int number)
{
    error = std::strerror(number);
    return false;
}

bool ReadOpened(int fd, std::string& bytes, std::string& error)
{
    struct stat info;
    if (fstat(fd, &info) != 0)
        return Fail(error, errno);
    if (!S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }
    bytes.clear();
    try {
        // One allocation of the file's size. Past it, reads go through a
        // small buffer: most often they only find the end, and a file that
        // grew meanwhile is read to its end all the same.
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t got = 0;
        char more[4096];
        for (;;) {
            const bool inPlace = got < bytes.size();
            const ssize_t n = inPlace ? read(fd, &bytes[got], bytes.size() - got)
                                      : read(fd, more, sizeof more);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return Fail(error, errno);
            if (n == 0)
                break;
            if (!inPlace)
                bytes.append(more, static_cast<size_t>(n));
            got += static_cast<size_t>(n);
        }
        bytes.resize(got);
    } catch (const std::bad_alloc&) {
        return Fail(error, ENOMEM);
    } catch (const std::length_error&) {
        return Fail(error, ENOMEM);
    }
    return true;
}

} // namespace

bool ReadRegularFile(const std::string& path, std::string& bytes, std::string& error)
{
    // O_NONBLOCK lets a named pipe open at once (to be refused); on a regular
    // file it changes nothing.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return Fail(error, errno);
    const bool ok = ReadOpened(fd, bytes, error);
    close(fd);
    return ok;
}

int OpenRegularFile(const std::string& path, std::string& error)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        Fail(error, errno);
        return -1;
    }
    struct stat info {};
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (!regular) {
        error = S_ISREG(info.st_mode) ? std::strerror(errno) : "not a regular file";
        close(fd);
        return -1;
    }
    return fd;
}
