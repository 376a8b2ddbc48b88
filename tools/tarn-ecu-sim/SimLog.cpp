#include "tools/tarn-ecu-sim/SimLog.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/time.h>

SimLog::~SimLog()
{
    if (file)
        std::fclose(file);
}

bool SimLog::open(const std::string& fileName, std::string& error)
{
    file = std::fopen(fileName.c_str(), "w");
    if (!file) {
        error = "cannot write log " + fileName + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void SimLog::line(const std::string& text)
{
    if (!file)
        return;
    timeval now {};
    gettimeofday(&now, nullptr);
    tm local {};
    localtime_r(&now.tv_sec, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(file, "%s.%03ld %s\n", stamp, static_cast<long>(now.tv_usec / 1000), text.c_str());
    std::fflush(file);
}

std::string Printable(const std::string& bytes)
{
    std::string text;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            text += escaped;
        }
    }
    return text;
}
