#include "tests/support/TestAssertHandler.h"

#include "base/AssertHandler.h"

#include <gtest/gtest.h>
#include <wx/debug.h>

static void FailOnAssertion(const wxString& file, int line, const wxString& func,
                            const wxString& cond, const wxString& msg)
{
    ADD_FAILURE() << DescribeAssertion(file, line, func, cond, msg).utf8_str();
}

void InstallTestAssertHandler()
{
    wxSetAssertHandler(FailOnAssertion);
}
