#pragma once
#include "base/ValueMap.h"

// The dispatcher as the gauges see it.
class GaugeValueHub {
public:
    virtual ~GaugeValueHub() = default;
    virtual bool IsValueAvailable(const wxString& name) = 0;
    virtual void FetchValues() = 0;
    virtual double GetValue(const wxString& name) = 0;

protected:
    ValueMap values;
};
