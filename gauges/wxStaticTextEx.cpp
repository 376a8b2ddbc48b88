#include "gauges/wxStaticTextEx.h"

#include "base/DebugLog.h"

wxBEGIN_EVENT_TABLE(wxStaticTextEx, wxStaticText)
    EVT_LEFT_DOWN(wxStaticTextEx::OnLeftDown)
    // A quick second tap arrives as a double click only.
    EVT_LEFT_DCLICK(wxStaticTextEx::OnLeftDown)
wxEND_EVENT_TABLE()

wxStaticTextEx::wxStaticTextEx(wxWindow* parent, wxWindowID id, const wxString& label,
                               const wxPoint& pos, const wxSize& size, long style,
                               const wxString& name)
    : wxStaticText(parent, id, label, pos, size, style, name), parentWindow(parent)
{
}

void wxStaticTextEx::OnLeftDown(wxMouseEvent& event)
{
    if (parentWindow)
        parentWindow->GetEventHandler()->ProcessEvent(event);
    DebugLog(0, "wxStaticTextEx::OnLeftDown");
}
