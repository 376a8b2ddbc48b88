// The dashboard executable.
#include "app/AssertHandler.h"
#include "app/MainApp.h"
#include "app/SevenSegmentFont.h"

wxIMPLEMENT_APP_NO_MAIN(MainApp);

int main(int argc, char** argv)
{
    InstallLoggingAssertHandler();
    RegisterSevenSegmentFace(); // before the toolkit loads its fonts
    return wxEntry(argc, argv);
}
