#include "gauges/TarnGaugeDigital.h"

#include "base/DebugLog.h"
#include "dispatch/GaugeUpdater.h"
#include "gaugemodel/NumberFormat.h"
#include "gauges/wxStaticTextEx.h"

#include <wx/font.h>
#include <wx/intl.h>

#include <algorithm>

// Shared by all digital gauges; allocated once, before the event table below.
const long TarnGaugeDigital::ID_STATICTEXT1 = wxNewId();
const long TarnGaugeDigital::ID_STATICTEXT2 = wxNewId();
const long TarnGaugeDigital::ID_STATICTEXT3 = wxNewId();

wxIMPLEMENT_CLASS(TarnGaugeDigital, wxControl);

wxBEGIN_EVENT_TABLE(TarnGaugeDigital, wxControl)
    EVT_LEFT_DOWN(TarnGaugeDigital::OnLeftDown)
    // A quick second tap arrives as a double click only.
    EVT_LEFT_DCLICK(TarnGaugeDigital::OnLeftDown)
wxEND_EVENT_TABLE()

namespace {
const double kHeightPerWidth = 0.31666666666666665;
const int kUnitsWidth = 45;
const wxColour kValueColour(0, 0, 255);
const wxColour kUnitsColour(30, 75, 24);
} // namespace

TarnGaugeDigital::TarnGaugeDigital(wxWindow* parent, const wxString& symbolName, int x, int y,
                                   int width)
{
    const int w = width;
    const int h = static_cast<int>(w * kHeightPerWidth);
    Create(parent, wxID_ANY, wxPoint(x, y), wxSize(w, h), 0, wxDefaultValidator, "control");

    // Below 61 px of width the rule gives no positive size, which the toolkit
    // refuses; such a gauge gets the smallest font instead.
    const int points = std::max(1, static_cast<int>((h - 18.5) * 0.93));
    wxFont digits(points, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false,
                  "7 Segment");

    titleText = new wxStaticTextEx(this, ID_STATICTEXT1, _("Label"), wxPoint(0, 0),
                                   wxSize(w, 14), wxST_NO_AUTORESIZE | wxALIGN_CENTRE_HORIZONTAL,
                                   "ID_STATICTEXT1");
    valueText = new wxStaticTextEx(this, ID_STATICTEXT2, _("Label"), wxPoint(2, 13),
                                   wxSize(w - kUnitsWidth, h), wxST_NO_AUTORESIZE | wxALIGN_RIGHT,
                                   "ID_STATICTEXT2");
    unitsText = new wxStaticTextEx(this, ID_STATICTEXT3, _("Label"),
                                   wxPoint(w - kUnitsWidth, h - 14), wxSize(kUnitsWidth, 15),
                                   wxST_NO_AUTORESIZE | wxALIGN_LEFT, "ID_STATICTEXT3");
    valueText->SetForegroundColour(kValueColour);
    valueText->SetFont(digits);
    unitsText->SetForegroundColour(kUnitsColour);

    descList = &currentSymbolTable()->getGauges();
    int first = 0;
    for (size_t i = 0; i < descList->size(); ++i) {
        if ((*descList)[i] && (*descList)[i]->getSymbolName() == symbolName) {
            first = static_cast<int>(i);
            break;
        }
    }
    SetDefaultGaugeDesc(first);
    if (!desc) {
        // Nothing to show: a definition file without gauge configurations.
        titleText->SetLabel(wxString());
        valueText->SetLabel(wxString());
        unitsText->SetLabel(wxString());
    }
    SetValue(0.0);

    selector = new GaugeValueSelector(this, wxID_ANY);
    selector->SetTarget(this);
    SetWindowStyle(wxNO_BORDER);
}

bool TarnGaugeDigital::HasDesc(int i) const
{
    return i >= 0 && static_cast<size_t>(i) < descList->size() && (*descList)[i];
}

void TarnGaugeDigital::SetValue(double v)
{
    if (!desc)
        return;
    valueText->SetLabel(FormatNumber(desc->valueFormat(), v));
}

void TarnGaugeDigital::RefreshSymbol(const ValueMap& values)
{
    ValueMap::const_iterator it = values.find(GetSymbolName());
    if (it != values.end())
        SetValue(it->second);
}

wxString TarnGaugeDigital::GetSymbolName()
{
    return desc ? desc->getSymbolName() : wxString();
}

// Titles and units come from the definition file: shown as they are written,
// an '&' included.
void TarnGaugeDigital::ShowDescTexts()
{
    desc->resolveExpressions(); // limits and texts the file gives as {expressions}
    titleText->SetLabelText(desc->getTitle());
    unitsText->SetLabelText(desc->getUnits());
}

void TarnGaugeDigital::SetDefaultGaugeDesc(int i)
{
    if (descList->empty())
        return;
    if (!HasDesc(i))
        i = 0;
    if (!HasDesc(i))
        return;
    m_defGaugeId = i;
    desc = (*descList)[i];
    DebugLog(0, wxString::Format("TarnGaugeDigital::SetDefaultGaugeDesc ID: %i P: %p", i,
                                 static_cast<void*>(desc)));
    ShowDescTexts();
}

void TarnGaugeDigital::SetValueIdx(int i)
{
    DebugLog(0, wxString::Format("SetValueIdx recived index: %i", i));
    if (i < 0 || static_cast<size_t>(i) >= offeredIndices.size())
        return;
    const int id = offeredIndices[i];
    if (!HasDesc(id))
        return;
    m_defGaugeId = id;
    DebugLog(0, wxString::Format("m_defGaugeId: %i", m_defGaugeId));
    desc = (*descList)[m_defGaugeId];
    ShowDescTexts();
}

void TarnGaugeDigital::OnLeftDown(wxMouseEvent&)
{
    DebugLog(0, "TarnGaugeDigital::OnLeftDown");
    offeredTitles.Clear();
    offeredIndices.Clear();
    if (m_dispatcher) {
        for (size_t i = 0; i < descList->size(); ++i) {
            const TARNGaugeDesc* d = (*descList)[i];
            if (d && m_dispatcher->IsValueAvailable(d->getSymbolName())) {
                offeredTitles.Add(d->getTitle());
                offeredIndices.Add(static_cast<int>(i));
            }
        }
    }
    if (!selector) {
        selector = new GaugeValueSelector(this, wxID_ANY);
        selector->SetTarget(this);
    }
    selector->Offer(offeredTitles);
}
