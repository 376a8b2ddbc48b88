// The dashboard executable.
#include "base/AssertHandler.h"
#include "app/MainApp.h"
#include "gauges/SevenSegmentFont.h"

wxIMPLEMENT_APP_NO_MAIN(MainApp);

int main(int argc, char** argv)
{
    InstallLoggingAssertHandler();
    RegisterSevenSegmentFace(); // before the toolkit loads its fonts
    return wxEntry(argc, argv);
}
