#pragma once
// Full screen for the dashboard, keeping the menu bar (the input is chosen
// there): always when asked, or by itself on a handheld-size display (no
// larger than 240 x 320); on a larger display the frame keeps its own size.
class wxTopLevelWindow;

void MakeFullScreen(wxTopLevelWindow* frame);
void MakeFullScreenOnSmallDisplay(wxTopLevelWindow* frame);
