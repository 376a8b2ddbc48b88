// main() of the test programs that need no display.
#include "tests/support/TestAssertHandler.h"

#include <gtest/gtest.h>
#include <wx/init.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 2;
    InstallTestAssertHandler();
    return RUN_ALL_TESTS();
}
