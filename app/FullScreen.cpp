#include "app/FullScreen.h"

#include <wx/display.h>
#include <wx/toplevel.h>

void MakeFullScreen(wxTopLevelWindow* frame)
{
    frame->ShowFullScreen(true, wxFULLSCREEN_NOBORDER | wxFULLSCREEN_NOCAPTION);
}

void MakeFullScreenOnSmallDisplay(wxTopLevelWindow* frame)
{
    const wxRect screen = wxDisplay(frame).GetGeometry();
    if (screen.width > 240 || screen.height > 320)
        return;
    MakeFullScreen(frame);
}
