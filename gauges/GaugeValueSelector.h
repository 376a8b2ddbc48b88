#pragma once
// The small top-level window through which the user picks what a gauge shows.
// The gauge fills the list with titles and keeps the mapping from rows to its
// descriptions; the selector only reports the chosen row back. Each gauge owns
// one selector for its whole life (a child window, destroyed with the gauge).
#include <wx/arrstr.h>
#include <wx/frame.h>

class GaugeListener;
class wxBoxSizer;
class wxButton;
class wxListBox;

class GaugeValueSelector : public wxFrame {
public:
    // Hidden after construction.
    GaugeValueSelector(wxWindow* parent, wxWindowID id);

    // The gauge told of the choice; not owned. Null until set.
    void SetTarget(GaugeListener* target);
    wxListBox* GetListBox() const { return listBox; }
    // Replaces the list with `titles` (no row selected), shows and raises the
    // window. Not modal: returns at once.
    void Offer(const wxArrayString& titles);

    static const long ID_LISTBOX1;
    static const long ID_BUTTON1;
    static const long ID_BUTTON2;

private:
    // Passes the selected row (-1 when none) to the target, then hides.
    void Choose();
    void ChooseFromList();
    void OnOk(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnListSelect(wxCommandEvent& event);
    void OnListPress(wxEvent& event);
    void OnListRelease(wxMouseEvent& event);
    void OnListLeave(wxFocusEvent& event);
    void OnClose(wxCloseEvent& event);

    wxBoxSizer* mainSizer = nullptr;
    wxListBox* listBox = nullptr;
    wxBoxSizer* buttonSizer = nullptr;
    wxButton* okButton = nullptr;
    wxButton* cancelButton = nullptr;
    GaugeListener* target = nullptr;
    // The user pressed a mouse button or key on the list and no choice is
    // reported yet: only such selections count (see OnListSelect).
    bool userPicking = false;
    bool choicePending = false;

    wxDECLARE_EVENT_TABLE();
};
