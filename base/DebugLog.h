#pragma once
// The one tracing call of the system. Level 1 is a warning, level 2 an error,
// anything else an ordinary message. The text is never used as a format.
//
// Before InitDebugLog() the messages go to the toolkit's active log target
// (tests and tools capture or silence them there). After it they go to the
// bounded debug log file (base/DebugLogFile.h), from any thread, and so do
// the toolkit's own messages; a wxLogNull still silences them.
#include <wx/string.h>

#include <cstdint>

void DebugLog(unsigned level, const wxString& text);

// False when a message would be dropped (the trace is off, the log stopped,
// or the toolkit's logging is disabled): callers skip formatting traces then.
bool DebugLogEnabled();

constexpr uint64_t kDefaultDebugLogLimit = 8 * 1024 * 1024;

// Opens "filelog.txt" in `folder` (empty: the working folder), truncated, as
// the debug log, bounded by `limitBytes`; 0 turns the trace off entirely.
// Call it before other threads log. The log is written at least once a
// second, at exit and when a fatal signal ends the process.
void InitDebugLog(const wxString& folder, uint64_t limitBytes);
// The same in the working folder with the default limit of 8 MiB.
void InitDebugLog();

// Puts every message logged so far on disk before it returns.
void FlushDebugLog();

// Reads the value of the `--log-limit BYTES` option: a whole number of bytes,
// decimal digits only (0 turns the trace off). A negative or malformed value
// is refused with a message in `error` for the user.
bool ParseDebugLogLimit(const wxString& text, uint64_t& bytes, wxString& error);
