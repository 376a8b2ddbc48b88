#pragma once
// What every gauge window offers the dispatcher.
#include "base/ValueMap.h"

class GaugeUpdater;

class GaugeListener {
public:
    virtual ~GaugeListener() = default;
    // Show a value; each gauge clamps and draws in its own way. A NaN
    // (RTDataMgr::NoValue) means there is no value: the gauge shows no number.
    virtual void SetValue(double value) = 0;
    // Show the map's value of GetSymbolName(), if the map has it.
    virtual void RefreshSymbol(const ValueMap& values) = 0;
    // Name of the value currently shown; empty without a description.
    virtual wxString GetSymbolName() = 0;
    // Switch to the description behind row `index` of the last offered list.
    virtual void SetValueIdx(int index) = 0;
    // Whether the value shown is old; a gauge draws an old value in grey.
    // Gauges that cannot show it ignore it.
    virtual void SetStale(bool) {}
    // Whether the values may be false (a noisy line); a gauge draws them in
    // a colour of their own.
    virtual void SetDoubtful(bool) {}

    GaugeUpdater* m_dispatcher = nullptr; // set by the main frame; not owned
};
