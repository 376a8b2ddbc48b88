#include "base/DebugLog.h"

#include <wx/log.h>

#include <cstdio>

void DebugLog(unsigned level, const wxString& text)
{
    switch (level) {
    case 1:
        wxLogWarning("%s", text);
        break;
    case 2:
        wxLogError("%s", text);
        break;
    default:
        wxLogMessage("%s", text);
        break;
    }
}

void InitDebugLog()
{
    // Stays open for the whole run; wxLogStderr flushes after every line.
    FILE* fp = std::fopen("filelog.txt", "w");
    delete wxLog::SetActiveTarget(new wxLogStderr(fp)); // null fp means stderr
}
