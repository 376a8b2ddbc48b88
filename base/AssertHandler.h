#pragma once
// Debian's wxWidgets keeps its assertions on, and the default handler opens a
// modal dialog: in a car, or in a headless test run, nothing would answer it.
// This handler writes the assertion to the debug log and standard error instead.
#include <wx/string.h>

void InstallLoggingAssertHandler();

// The text written for one failed assertion (shared with the test handler).
wxString DescribeAssertion(const wxString& file, int line, const wxString& func,
                           const wxString& cond, const wxString& msg);
