#pragma once
// What every input (ECU, datalog) offers the dispatcher.
#include "base/ValueMap.h"

class RTDataMgr {
public:
    enum Kind { KindSerial = 1, KindFile = 2 };

    virtual ~RTDataMgr() = default;
    // Once per tick: refresh the data, then write a value into the dispatcher's
    // map for every name in it (or remove names the input cannot serve).
    virtual void Update() = 0;
    virtual double GetValue(const wxString& name) = 0;
    virtual bool HasValue(const wxString& name) = 0;
    virtual int GetKind() = 0;

    // The dispatcher's map; not owned. Set by GaugeUpdater::SetInput.
    void setValueMap(ValueMap* values) { valueMap = values; }

protected:
    ValueMap* valueMap = nullptr;
};
