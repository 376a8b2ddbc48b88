#include "base/StderrTrace.h"

#include "base/DebugLog.h"

#include <wx/string.h>

#include <atomic>
#include <string>

namespace {
std::atomic<FILE*> g_stream{stderr};
std::atomic<bool> g_toDebugLog{false};

wxString FromBytes(const char* text, size_t length)
{
    // The texts are ASCII but for the names and values they carry.
    const wxString utf8 = wxString::FromUTF8(text, length);
    return utf8.empty() && length > 0 ? wxString::From8BitData(text, length) : utf8;
}
} // namespace

void StderrTraceV(const char* format, va_list args)
{
    if (FILE* stream = g_stream.load()) {
        va_list copy;
        va_copy(copy, args);
        std::vfprintf(stream, format, copy);
        va_end(copy);
    }
    if (!g_toDebugLog.load() || !DebugLogEnabled())
        return;
    char small[256];
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (length < 0)
        return;
    std::string large;
    const char* text = small;
    if (static_cast<size_t>(length) >= sizeof small) {
        large.resize(static_cast<size_t>(length) + 1);
        va_copy(copy, args);
        std::vsnprintf(&large[0], large.size(), format, copy);
        va_end(copy);
        text = large.data();
    }
    size_t size = static_cast<size_t>(length);
    if (size > 0 && text[size - 1] == '\n')
        --size; // the debug log ends its lines itself
    DebugLog(0, FromBytes(text, size));
}

void StderrTrace(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    StderrTraceV(format, args);
    va_end(args);
}

StderrTraceRoute RouteStderrTraces(const StderrTraceRoute& route)
{
    StderrTraceRoute previous;
    previous.stream = g_stream.exchange(route.stream);
    previous.toDebugLog = g_toDebugLog.exchange(route.toDebugLog);
    return previous;
}
