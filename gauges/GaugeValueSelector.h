#pragma once
// The small top-level window through which the user picks what a gauge shows.
// The gauge fills the list with titles and keeps the mapping from rows to its
// descriptions; the selector only reports the chosen row back. Each gauge owns
// one selector for its whole life (a child window, destroyed with the gauge).
#include <wx/arrstr.h>
#include <wx/font.h>
#include <wx/frame.h>

#include <vector>

class GaugeListener;
class wxBoxSizer;
class wxButton;
class wxChoice;
class wxListBox;
class wxStaticText;

class GaugeValueSelector : public wxFrame {
public:
    // Hidden after construction.
    GaugeValueSelector(wxWindow* parent, wxWindowID id);

    // The gauge told of the choice; not owned. Null until set.
    void SetTarget(GaugeListener* target);
    wxListBox* GetListBox() const { return listBox; }
    // Replaces the list with `titles`, shows and raises the window. Not modal:
    // returns at once. `currentRow` (when in the list) is marked as the one
    // shown now; `heading` says which gauge the choice is for; with no titles,
    // `emptyHint` says why, in place of the list. `groups` (empty, or one per
    // title: the definition file's gauge categories) splits a long list: a
    // choice of group above it, the list showing that group's titles; the
    // target still hears the row of `titles`.
    void Offer(const wxArrayString& titles, int currentRow = -1,
               const wxString& heading = wxString(), const wxString& emptyHint = wxString(),
               const wxArrayString& groups = wxArrayString());
    // Null while the list is not split.
    wxChoice* GetGroupChoice() const;

    // How much a touch-sized window grows over a dashboard of `size`: in
    // proportion to the handheld's 240 x 320, from 1 to kLargestScale.
    static double TouchScale(const wxSize& size);
    // Shows the titles of group `name` (after Offer with groups).
    void ShowGroup(const wxString& name);
    // A list longer than this is split by groups.
    static constexpr int kRowsBeforeGroups = 10;
    wxStaticText* GetHeading() const { return heading; }
    wxStaticText* GetHint() const { return hint; }

    static const long ID_LISTBOX1;
    static const long ID_BUTTON1;
    static const long ID_BUTTON2;
    static const long ID_HEADING;
    static const long ID_HINT;
    static const long ID_GROUPS;

private:
    // Passes the selected row (-1 when none) to the target, then hides.
    void Choose();
    void ChooseFromList();
    void OnOk(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void ScaleTo(const wxWindow* dashboard);
    void OnListSelect(wxCommandEvent& event);
    void OnListPress(wxEvent& event);
    void OnListRelease(wxMouseEvent& event);
    void OnListLeave(wxFocusEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnGroup(wxCommandEvent& event);

    wxBoxSizer* mainSizer = nullptr;
    wxStaticText* heading = nullptr;
    wxChoice* groupChoice = nullptr;
    wxListBox* listBox = nullptr;
    wxStaticText* hint = nullptr;
    wxBoxSizer* buttonSizer = nullptr;
    wxButton* okButton = nullptr;
    wxButton* cancelButton = nullptr;
    GaugeListener* target = nullptr;
    // The whole offer, and which of its rows the list shows (in order).
    wxArrayString offeredTitles;
    wxArrayString offeredGroups;
    std::vector<int> rowsShown;
    // The user pressed a mouse button or key on the list and no choice is
    // reported yet: only such selections count (see OnListSelect).
    double scale = 1.0;
    wxFont baseFont;
    static constexpr double kLargestScale = 2.5;
    bool userPicking = false;
    bool choicePending = false;

    wxDECLARE_EVENT_TABLE();
};
