#pragma once
// The choice of gauge descriptions that the dial and the digital gauge share:
// find a description by name, offer those the current input can serve, and map
// a chosen row of that offer back to a position in the description list.
//
// The chooser only points to the list; whoever loaded the descriptions owns it.
#include "gaugemodel/TARNGaugeDesc.h"

#include <wx/arrstr.h>
#include <wx/dynarray.h>

#include <functional>
#include <vector>

class GaugeDescChooser {
public:
    using DescList = GaugeDescList;
    // Whether the current input can supply the value of this name.
    using ServesValue = std::function<bool(const wxString&)>;

    explicit GaugeDescChooser(const DescList* descs = nullptr) : list(descs) {}

    // Takes another list (not owned; may be null) and forgets the last offer.
    void SetList(const DescList* newList);
    const DescList* GetList() const { return list; }
    int Count() const { return list ? int(list->size()) : 0; }
    // The description at `index`, or null outside the list.
    const TARNGaugeDesc* At(int index) const;

    // Position of the first description whose symbol name is `symbolName`
    // (exact, case-sensitive), or -1.
    int FindBySymbol(const wxString& symbolName) const;
    // Position of the first description whose entry name is `name`, or -1.
    int FindByName(const wxString& name) const;

    // Rebuilds the offer: every description whose value `serves` names, in
    // list order. Without `serves` (no input) the offer is empty.
    void Offer(const ServesValue& serves);
    // What the last offer shows, row by row, and the position behind each row.
    const wxArrayString& GetOfferedTitles() const { return titles; }
    const wxArrayInt& GetOfferedIndexes() const { return indexes; }
    // Position behind row `row` of the last offer, or -1 when there is no such
    // row or the list no longer holds that position.
    int IndexOfRow(int row) const;
    // Row of position `index` in the last offer, or -1.
    int RowOfIndex(int index) const;
    // Why the last offer is empty, for the user; empty when it is not.
    wxString EmptyOfferHint() const;

    // The title a user sees: the description's title, or, when that is blank,
    // its entry name, or else its value name.
    static wxString DisplayTitle(const TARNGaugeDesc& desc);

private:
    const DescList* list;
    wxArrayString titles;
    wxArrayInt indexes;
    bool hadInput = false;
};
