#pragma once
// A static text whose left clicks reach the window it was created in, so that
// a click on a gauge's text acts as a click on the gauge.
#include <wx/stattext.h>

class wxStaticTextEx : public wxStaticText {
public:
    wxStaticTextEx(wxWindow* parent, wxWindowID id, const wxString& label,
                   const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                   long style = 0, const wxString& name = wxStaticTextNameStr);

private:
    void OnLeftDown(wxMouseEvent& event);

    wxWindow* parentWindow; // not owned: the parent owns this text

    wxDECLARE_EVENT_TABLE();
};
