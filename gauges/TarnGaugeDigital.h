#pragma once
// The small numeric gauge: a title, the value in seven-segment digits and the
// units, on a borderless child control. A click anywhere on it (texts
// included) opens its value selector, which lists the descriptions the current
// input can supply.
//
// The gauge points into the installed symbol table's description list and
// never owns a description. With an empty list it shows an empty face and
// ignores every request that needs a description.
#include "dispatch/GaugeListener.h"
#include "definition/SymbolTable.h"
#include "gauges/GaugeValueSelector.h"

#include <wx/control.h>
#include <wx/dynarray.h>
#include <wx/weakref.h>

class wxStaticTextEx;

class TarnGaugeDigital : public wxControl, public GaugeListener {
public:
    // Height is width x 0.31666666666666665, truncated. Shows the first
    // description whose symbol name is `symbolName`, else the first of all.
    TarnGaugeDigital(wxWindow* parent, const wxString& symbolName, int x, int y, int width);

    // Shows v in the description's value format; ignored without a description.
    void SetValue(double v) override;
    void RefreshSymbol(const ValueMap& values) override;
    wxString GetSymbolName() override;
    // Row `i` of the last offered list; any other index is ignored.
    void SetValueIdx(int i) override;
    // Position `i` of the description list; out of range means 0.
    void SetDefaultGaugeDesc(int i);

    // For tests and the dashboard's own checks.
    GaugeValueSelector* GetSelector() const { return selector; }
    int GetDefaultGaugeId() const { return m_defGaugeId; }

    static const long ID_STATICTEXT1;
    static const long ID_STATICTEXT2;
    static const long ID_STATICTEXT3;

private:
    void OnLeftDown(wxMouseEvent& event);
    void ShowDescTexts();
    bool HasDesc(int i) const;

    const GaugeDescList* descList = nullptr; // the installed table's; not owned
    int m_defGaugeId = -1;                   // -1 while no description is shown
    wxStaticTextEx* titleText = nullptr;
    wxStaticTextEx* valueText = nullptr;
    wxStaticTextEx* unitsText = nullptr;
    // A child window; tracked so that a selector destroyed by a forced close is
    // made again on the next click instead of being used after its end.
    wxWeakRef<GaugeValueSelector> selector;
    wxArrayString offeredTitles;
    wxArrayInt offeredIndices;
    TARNGaugeDesc* desc = nullptr;

    wxDECLARE_CLASS(TarnGaugeDigital);
    wxDECLARE_NO_COPY_CLASS(TarnGaugeDigital);
    wxDECLARE_EVENT_TABLE();
};
