#include "gauges/GaugeChoiceOffer.h"

#include <wx/intl.h>

GaugeDescChooser::ServesValue ValuesServedBy(GaugeUpdater* dispatcher)
{
    if (!dispatcher || !dispatcher->GetInput())
        return GaugeDescChooser::ServesValue();
    return [dispatcher](const wxString& name) { return dispatcher->IsValueAvailable(name); };
}

void ShowChoice(wxWeakRef<GaugeValueSelector>& selector, wxWindow* gauge, GaugeListener* target,
                const GaugeDescChooser& chooser, int shown, const wxString& kind)
{
    if (!selector) {
        selector = new GaugeValueSelector(gauge, wxID_ANY);
        selector->SetTarget(target);
    }
    const TARNGaugeDesc* desc = chooser.At(shown);
    const wxString heading =
        desc ? wxString::Format(_("For the %s (now %s)"), kind, GaugeDescChooser::DisplayTitle(*desc))
             : wxString::Format(_("For the %s"), kind);
    wxArrayString groups;
    for (int index : chooser.GetOfferedIndexes()) {
        const wxString category = chooser.At(index) ? chooser.At(index)->getCategory() : wxString();
        groups.Add(category.empty() ? _("Other gauges") : category);
    }
    selector->Offer(chooser.GetOfferedTitles(), desc ? chooser.RowOfIndex(shown) : -1, heading,
                    chooser.EmptyOfferHint(), groups);
}
