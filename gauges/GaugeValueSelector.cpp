#include "gauges/GaugeValueSelector.h"

#include "dispatch/GaugeListener.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/listbox.h>
#include <wx/sizer.h>

// Allocated once per run, before the event table below is built from them.
const long GaugeValueSelector::ID_LISTBOX1 = wxNewId();
const long GaugeValueSelector::ID_BUTTON1 = wxNewId();
const long GaugeValueSelector::ID_BUTTON2 = wxNewId();

wxBEGIN_EVENT_TABLE(GaugeValueSelector, wxFrame)
    EVT_BUTTON(GaugeValueSelector::ID_BUTTON1, GaugeValueSelector::OnOk)
    EVT_BUTTON(GaugeValueSelector::ID_BUTTON2, GaugeValueSelector::OnCancel)
    EVT_LISTBOX(GaugeValueSelector::ID_LISTBOX1, GaugeValueSelector::OnListSelect)
    EVT_CLOSE(GaugeValueSelector::OnClose)
wxEND_EVENT_TABLE()

// The default frame style without the resize border, kept above the dashboard.
static const long kSelectorStyle = wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxMAXIMIZE_BOX
                                   | wxCLOSE_BOX | wxSTAY_ON_TOP | wxCLIP_CHILDREN;

GaugeValueSelector::GaugeValueSelector(wxWindow* parent, wxWindowID id)
    : wxFrame(parent, id, _("Gauge Value Selector"), wxPoint(35, 40), wxSize(170, 240),
              kSelectorStyle, "wxFrame")
{
    mainSizer = new wxBoxSizer(wxVERTICAL);
    listBox = new wxListBox(this, ID_LISTBOX1, wxDefaultPosition, wxSize(150, 190), 0, nullptr,
                            0, wxDefaultValidator, "ID_LISTBOX1");
    mainSizer->Add(listBox, 1, wxALL | wxALIGN_CENTER, 5);

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

void GaugeValueSelector::Offer(const wxArrayString& titles)
{
    userPicking = false;
    listBox->Clear();
    listBox->Set(titles);
    // The list selects its first row when it takes the focus; start on a button
    // so that nothing is chosen before the user touches the list.
    okButton->SetFocus();
    Show();
    Raise();
}

void GaugeValueSelector::Choose()
{
    if (target)
        target->SetValueIdx(listBox->GetSelection());
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
