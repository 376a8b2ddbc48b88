#include "base/AssertHandler.h"

#include "base/DebugLog.h"

#include <wx/debug.h>

#include <cstdio>

wxString DescribeAssertion(const wxString& file, int line, const wxString& func,
                           const wxString& cond, const wxString& msg)
{
    return wxString::Format("assertion \"%s\" failed in %s() at %s:%d: %s", cond, func, file,
                            line, msg);
}

static void LogAssertion(const wxString& file, int line, const wxString& func,
                         const wxString& cond, const wxString& msg)
{
    const wxString text = DescribeAssertion(file, line, func, cond, msg);
    std::fprintf(stderr, "%s\n", static_cast<const char*>(text.utf8_str()));
    DebugLog(2, text);
}

void InstallLoggingAssertHandler()
{
    wxSetAssertHandler(LogAssertion);
}
