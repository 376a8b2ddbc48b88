#include "gaugemodel/GaugeDescChooser.h"

#include <wx/intl.h>

void GaugeDescChooser::SetList(const DescList* newList)
{
    list = newList;
    titles.Clear();
    indexes.Clear();
    hadInput = false;
}

const TARNGaugeDesc* GaugeDescChooser::At(int index) const
{
    if (!list || index < 0 || index >= int(list->size()))
        return nullptr;
    return (*list)[index];
}

int GaugeDescChooser::FindBySymbol(const wxString& symbolName) const
{
    for (int i = 0; i < Count(); ++i)
        if (At(i) && At(i)->getSymbolName() == symbolName)
            return i;
    return -1;
}

int GaugeDescChooser::FindByName(const wxString& name) const
{
    for (int i = 0; i < Count(); ++i)
        if (At(i) && At(i)->getName() == name)
            return i;
    return -1;
}

void GaugeDescChooser::Offer(const ServesValue& serves)
{
    titles.Clear();
    indexes.Clear();
    hadInput = bool(serves);
    if (!serves)
        return;
    for (int i = 0; i < Count(); ++i) {
        const TARNGaugeDesc* desc = At(i);
        if (desc && serves(desc->getSymbolName())) {
            titles.Add(DisplayTitle(*desc));
            indexes.Add(i);
        }
    }
}

int GaugeDescChooser::IndexOfRow(int row) const
{
    if (row < 0 || row >= int(indexes.size()))
        return -1;
    return At(indexes[row]) ? indexes[row] : -1;
}

int GaugeDescChooser::RowOfIndex(int index) const
{
    for (size_t row = 0; row < indexes.size(); ++row)
        if (indexes[row] == index)
            return int(row);
    return -1;
}

wxString GaugeDescChooser::EmptyOfferHint() const
{
    if (!titles.empty())
        return wxString();
    if (Count() == 0)
        return _("The definition file declares no gauges.");
    if (!hadInput)
        return _("No input is selected: choose ECU or File in the Select Input menu.");
    return _("The input supplies none of the gauges' values.");
}

wxString GaugeDescChooser::DisplayTitle(const TARNGaugeDesc& desc)
{
    for (const wxString* text : {&desc.getTitle(), &desc.getName(), &desc.getSymbolName()}) {
        wxString shown = *text;
        if (!shown.Trim(true).Trim(false).empty())
            return *text;
    }
    return _("(untitled)");
}
