#include "base/LogTimeStamp.h"

#include <ctime>

const char* LogTimeStamp(size_t& length)
{
    thread_local time_t second = -1;
    thread_local char text[16];
    thread_local size_t size = 0;
    const time_t now = std::time(nullptr);
    if (now != second) {
        struct tm local;
        localtime_r(&now, &local);
        size = std::strftime(text, sizeof text, "%H:%M:%S: ", &local);
        second = now;
    }
    length = size;
    return text;
}
