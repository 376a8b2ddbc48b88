#pragma once
// Fills the screen with the dashboard only on a handheld-size display (no
// larger than 240 x 320); on a larger display the frame keeps its own size.
class wxTopLevelWindow;

void MakeFullScreenOnSmallDisplay(wxTopLevelWindow* frame);
