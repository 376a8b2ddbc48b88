#include "tools/tarntool/InputFile.h"

#include "base/RegularFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

static bool ReadStandardInput(std::string& bytes, std::string& error)
{
    bytes.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = std::strerror(errno);
            return false;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error)
{
    if (path == "-")
        return ReadStandardInput(bytes, error);
    return ReadRegularFile(path, bytes, error);
}
