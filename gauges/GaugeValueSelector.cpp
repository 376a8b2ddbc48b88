#include "gauges/GaugeValueSelector.h"

#include "dispatch/GaugeListener.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/intl.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/toplevel.h>

#include <algorithm>

// Allocated once per run, before the event table below is built from them.
const long GaugeValueSelector::ID_LISTBOX1 = wxNewId();
const long GaugeValueSelector::ID_BUTTON1 = wxNewId();
const long GaugeValueSelector::ID_BUTTON2 = wxNewId();
const long GaugeValueSelector::ID_HEADING = wxNewId();
const long GaugeValueSelector::ID_HINT = wxNewId();
const long GaugeValueSelector::ID_GROUPS = wxNewId();

// Width of the list; the heading and the hint wrap at it.
static const int kListWidth = 150;
static const int kListHeight = 190;

wxBEGIN_EVENT_TABLE(GaugeValueSelector, wxFrame)
    EVT_BUTTON(GaugeValueSelector::ID_BUTTON1, GaugeValueSelector::OnOk)
    EVT_BUTTON(GaugeValueSelector::ID_BUTTON2, GaugeValueSelector::OnCancel)
    EVT_LISTBOX(GaugeValueSelector::ID_LISTBOX1, GaugeValueSelector::OnListSelect)
    EVT_CLOSE(GaugeValueSelector::OnClose)
    EVT_CHOICE(GaugeValueSelector::ID_GROUPS, GaugeValueSelector::OnGroup)
    EVT_CHAR_HOOK(GaugeValueSelector::OnCharHook)
wxEND_EVENT_TABLE()

// The default frame style without the resize border, kept above the dashboard.
static const long kSelectorStyle = wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxMAXIMIZE_BOX
                                   | wxCLOSE_BOX | wxSTAY_ON_TOP | wxCLIP_CHILDREN;

GaugeValueSelector::GaugeValueSelector(wxWindow* parent, wxWindowID id)
    : wxFrame(parent, id, _("Gauge Value Selector"), wxPoint(35, 40), wxSize(170, 240),
              kSelectorStyle, "wxFrame")
{
    mainSizer = new wxBoxSizer(wxVERTICAL);
    // Shown only while a gauge names itself; the list keeps its place below.
    heading = new wxStaticText(this, ID_HEADING, wxString(), wxDefaultPosition, wxDefaultSize, 0,
                               "ID_HEADING");
    heading->Hide();
    mainSizer->Add(heading, 0, wxLEFT | wxRIGHT | wxTOP, 5);
    groupChoice = new wxChoice(this, ID_GROUPS, wxDefaultPosition, wxSize(kListWidth, -1), 0,
                               nullptr, 0, wxDefaultValidator, "ID_GROUPS");
    groupChoice->Hide();
    mainSizer->Add(groupChoice, 0, wxLEFT | wxRIGHT | wxTOP, 5);
    listBox = new wxListBox(this, ID_LISTBOX1, wxDefaultPosition, wxSize(kListWidth, kListHeight),
                            0, nullptr, 0, wxDefaultValidator, "ID_LISTBOX1");
    mainSizer->Add(listBox, 1, wxALL | wxALIGN_CENTER, 5);
    // In place of an empty list: why there is nothing to choose.
    hint = new wxStaticText(this, ID_HINT, wxString(), wxDefaultPosition,
                            wxSize(kListWidth, kListHeight), 0, "ID_HINT");
    hint->SetMinSize(wxSize(kListWidth, kListHeight));
    hint->Hide();
    mainSizer->Add(hint, 1, wxALL | wxALIGN_CENTER, 5);

    buttonSizer = new wxBoxSizer(wxHORIZONTAL);
    okButton = new wxButton(this, ID_BUTTON1, _("OK"), wxDefaultPosition, wxSize(60, 20), 0,
                            wxDefaultValidator, "ID_BUTTON1");
    buttonSizer->Add(okButton, 0, wxALL | wxALIGN_CENTER, 5);
    cancelButton = new wxButton(this, ID_BUTTON2, _("Cancel"), wxDefaultPosition,
                                wxSize(60, 20), 0, wxDefaultValidator, "ID_BUTTON2");
    buttonSizer->Add(cancelButton, 1, wxALL | wxALIGN_CENTER, 5);
    mainSizer->Add(buttonSizer, 0, wxALIGN_CENTER, 0);

    SetSizer(mainSizer);
    mainSizer->Fit(this);
    mainSizer->SetSizeHints(this);

    listBox->Bind(wxEVT_LEFT_DOWN, &GaugeValueSelector::OnListPress, this);
    listBox->Bind(wxEVT_KEY_DOWN, &GaugeValueSelector::OnListPress, this);
    listBox->Bind(wxEVT_LEFT_UP, &GaugeValueSelector::OnListRelease, this);
    listBox->Bind(wxEVT_KILL_FOCUS, &GaugeValueSelector::OnListLeave, this);
}

void GaugeValueSelector::SetTarget(GaugeListener* newTarget)
{
    target = newTarget;
}

double GaugeValueSelector::TouchScale(const wxSize& size)
{
    return std::clamp(std::min(size.x / 240.0, size.y / 320.0), 1.0, kLargestScale);
}

// On a larger screen than the handheld's, the window, its rows and its
// buttons grow in proportion to the dashboard's window, to stay touch-sized.
void GaugeValueSelector::ScaleTo(const wxWindow* dashboard)
{
    const double s = dashboard ? TouchScale(dashboard->GetSize()) : 1.0;
    if (s == scale)
        return;
    scale = s;
    if (!baseFont.IsOk())
        baseFont = GetFont();
    const wxFont font = baseFont.Scaled(float(s));
    for (wxWindow* child : {static_cast<wxWindow*>(heading), static_cast<wxWindow*>(groupChoice),
                            static_cast<wxWindow*>(listBox), static_cast<wxWindow*>(hint),
                            static_cast<wxWindow*>(okButton), static_cast<wxWindow*>(cancelButton)})
        child->SetFont(font);
    const wxSize button(int(60 * s), int(20 * s));
    okButton->SetMinSize(button);
    cancelButton->SetMinSize(button);
}

void GaugeValueSelector::Offer(const wxArrayString& titles, int currentRow,
                               const wxString& headingText, const wxString& emptyHint,
                               const wxArrayString& groups)
{
    userPicking = false;
    ScaleTo(wxGetTopLevelParent(GetParent()));
    const int listWidth = int(kListWidth * scale);
    const int listHeight = int(kListHeight * scale);
    offeredTitles = titles;
    offeredGroups.Clear();
    groupChoice->Clear();
    if (groups.size() == titles.size() && int(titles.size()) > kRowsBeforeGroups) {
        wxArrayString names;
        for (const wxString& group : groups)
            if (names.Index(group) == wxNOT_FOUND)
                names.Add(group);
        if (names.size() > 1) {
            offeredGroups = groups;
            groupChoice->Set(names);
        }
    }
    groupChoice->Show(!offeredGroups.empty());
    // The choice takes its height from the list: the window keeps its size.
    const int choiceHeight = offeredGroups.empty() ? 0 : groupChoice->GetBestSize().y + 5;
    listBox->SetMinSize(wxSize(listWidth, listHeight - choiceHeight));
    listBox->SetSize(wxSize(listWidth, listHeight - choiceHeight));
    const bool marked = currentRow >= 0 && currentRow < int(titles.size());
    if (!offeredGroups.empty())
        ShowGroup(marked ? offeredGroups[currentRow] : groupChoice->GetString(0));
    else
        ShowGroup(wxString());
    if (marked) {
        const auto at = std::find(rowsShown.begin(), rowsShown.end(), currentRow);
        if (at != rowsShown.end()) {
            // Selecting by program reports nothing: the mark is not a choice.
            listBox->SetSelection(int(at - rowsShown.begin()));
            listBox->EnsureVisible(int(at - rowsShown.begin()));
        }
    }
    heading->SetLabelText(headingText);
    heading->Wrap(listWidth);
    heading->Show(!headingText.empty());
    const bool empty = titles.empty() && !emptyHint.empty();
    hint->SetLabelText(emptyHint);
    hint->Wrap(listWidth);
    hint->SetMinSize(wxSize(listWidth, listHeight));
    hint->Show(empty);
    listBox->Show(!empty);
    SetSizeHints(wxDefaultSize);
    mainSizer->Fit(this);
    mainSizer->SetSizeHints(this);
    // The list selects its first row when it takes the focus; start on a button
    // so that nothing is chosen before the user touches the list.
    okButton->SetFocus();
    Show();
    Raise();
}

void GaugeValueSelector::ShowGroup(const wxString& name)
{
    rowsShown.clear();
    wxArrayString shown;
    for (size_t row = 0; row < offeredTitles.size(); ++row) {
        if (offeredGroups.empty() || offeredGroups[row] == name) {
            rowsShown.push_back(int(row));
            shown.Add(offeredTitles[row]);
        }
    }
    listBox->Clear();
    listBox->Set(shown);
    if (!offeredGroups.empty())
        groupChoice->SetStringSelection(name);
}

wxChoice* GaugeValueSelector::GetGroupChoice() const
{
    return groupChoice->IsShown() ? groupChoice : nullptr;
}

void GaugeValueSelector::OnGroup(wxCommandEvent&)
{
    userPicking = false;
    ShowGroup(groupChoice->GetStringSelection());
}

void GaugeValueSelector::Choose()
{
    const int selected = listBox->GetSelection();
    if (target)
        target->SetValueIdx(selected >= 0 && selected < int(rowsShown.size()) ? rowsShown[selected]
                                                                              : selected);
    Hide();
}

void GaugeValueSelector::OnOk(wxCommandEvent&)
{
    Choose();
}

// The list also reports selections the user did not make: taking the focus
// selects its first row, so the first tap on a row reports row 0 and then the
// tapped row. Only selections after a press on the list count, and they are
// reported once, after the press is fully handled, with the final row.
void GaugeValueSelector::OnListSelect(wxCommandEvent&)
{
    if (!userPicking || choicePending)
        return;
    choicePending = true;
    CallAfter(&GaugeValueSelector::ChooseFromList);
}

void GaugeValueSelector::ChooseFromList()
{
    choicePending = false;
    userPicking = false;
    if (IsShown())
        Choose();
}

void GaugeValueSelector::OnListPress(wxEvent& event)
{
    userPicking = true;
    event.Skip();
}

// A tap on the row that is already selected changes no selection, yet it is
// still the user's choice.
void GaugeValueSelector::OnListRelease(wxMouseEvent& event)
{
    event.Skip();
    if (!userPicking || choicePending)
        return;
    const int row = listBox->HitTest(event.GetPosition());
    if (row != wxNOT_FOUND && row == listBox->GetSelection()) {
        choicePending = true;
        CallAfter(&GaugeValueSelector::ChooseFromList);
    } else {
        userPicking = false;
    }
}

// A key that moved the focus away (Tab) selected nothing; the list must not
// take its next focus selection for a choice.
void GaugeValueSelector::OnListLeave(wxFocusEvent& event)
{
    event.Skip();
    if (!choicePending)
        userPicking = false;
}

void GaugeValueSelector::OnCancel(wxCommandEvent&)
{
    Hide();
}

// Escape is Cancel; other keys go on to the dashboard's frame (Alt+X).
void GaugeValueSelector::OnCharHook(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_ESCAPE && event.GetModifiers() == wxMOD_NONE) {
        Hide();
        return;
    }
    event.Skip();
}

// The gauge keeps and reuses its selector, so the close box only hides it.
// A forced close (which cannot be refused) destroys it as usual.
void GaugeValueSelector::OnClose(wxCloseEvent& event)
{
    if (event.CanVeto()) {
        event.Veto();
        Hide();
    } else {
        event.Skip();
    }
}
