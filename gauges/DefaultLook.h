#pragma once
// The theme's font and text colour fixed as a window's own.
#include <wx/window.h>

// A window without a font or text colour of its own asks the theme for them
// at every context made on it, each paint included, and that costs more than
// most paints; the same values set once cost nothing to look up. Children
// still take their own defaults.
inline void KeepDefaultLook(wxWindow* window)
{
    window->SetOwnFont(window->GetFont());
    window->SetOwnForegroundColour(window->GetForegroundColour());
}
