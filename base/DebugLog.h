#pragma once
// The one tracing call of the system. Level 1 is a warning, level 2 an error,
// anything else an ordinary message. The text is never used as a format.
#include <wx/string.h>

void DebugLog(unsigned level, const wxString& text);

// Opens "filelog.txt" in the working directory (truncated) and makes it the
// toolkit's log target; falls back to standard error when it cannot be created.
void InitDebugLog();
