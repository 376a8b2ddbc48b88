#include "app/MainApp.h"

#include "base/AssertHandler.h"
#include "base/DebugLog.h"
#include "app/FullScreen.h"
#include "app/MainFrame.h"

bool MainApp::OnInit()
{
    InstallLoggingAssertHandler();
    InitDebugLog();
    DebugLog(0, "start");
    if (!wxApp::OnInit())
        return false;
    MainFrame* frame = new MainFrame("V3 GUI for WinCE");
    frame->Show(true);
    MakeFullScreenOnSmallDisplay(frame);
    return true;
}
