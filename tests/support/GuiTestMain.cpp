// main() of the test programs that open windows (run under Xvfb). Listing the
// tests must not initialise GTK, so CTest can discover them without a display.
#include "gauges/SevenSegmentFont.h"
#include "tests/support/TestAssertHandler.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    InstallTestAssertHandler();
    RegisterSevenSegmentFace();
    if (!wxEntryStart(argc, argv))
        return 2;
    InstallTestAssertHandler(); // the toolkit's start-up may have set its own
    // The GUI default log target shows errors in a message box; traces go to a
    // file instead (TARN_TEST_LOG=stderr shows them while debugging).
    const char* logTo = std::getenv("TARN_TEST_LOG");
    FILE* log = logTo && std::string(logTo) == "stderr" ? stderr : std::fopen("/dev/null", "w");
    delete wxLog::SetActiveTarget(new wxLogStderr(log));
    wxInitAllImageHandlers();
    wxTheApp->CallOnInit();
    const int rc = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return rc;
}
