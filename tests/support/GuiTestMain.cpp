// main() of the test programs that open windows (run under Xvfb). Listing the
// tests must not initialise GTK, so CTest can discover them without a display.
#include "app/SevenSegmentFont.h"
#include "tests/support/TestAssertHandler.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>

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
    wxInitAllImageHandlers();
    wxTheApp->CallOnInit();
    const int rc = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return rc;
}
