#pragma once
// The 8-bit traces that the ECU protocol and a few gauge paths write to the
// standard error stream. They all pass through here, so that tests and tools
// can redirect them and the dashboard can keep them in the debug log. Each
// trace is a printf format whose text is written exactly as given.
#include <cstdarg>
#include <cstdio>

void StderrTrace(const char* format, ...) __attribute__((format(printf, 1, 2)));
void StderrTraceV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// Where the traces go: to `stream` unless it is null, and to the debug log
// as ordinary messages (without their final line feed) when `toDebugLog` is
// set. At start: standard error only.
struct StderrTraceRoute {
    FILE* stream = stderr;
    bool toDebugLog = false;
};

// Installs `route` and returns the one it replaces. Safe from any thread.
StderrTraceRoute RouteStderrTraces(const StderrTraceRoute& route);
