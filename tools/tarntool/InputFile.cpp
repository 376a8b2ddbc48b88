#include "tools/tarntool/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

static bool ReadDescriptor(int fd, std::string& bytes)
{
    struct stat info;
    if (fstat(fd, &info) != 0 || S_ISDIR(info.st_mode))
        return false;
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    if (path == "-")
        return ReadDescriptor(STDIN_FILENO, bytes);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ReadDescriptor(fd, bytes);
    close(fd);
    return ok;
}
