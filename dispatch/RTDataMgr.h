#pragma once
// What every input (ECU, datalog) offers the dispatcher.
#include "base/ValueMap.h"

#include <cmath>
#include <limits>

class RTDataMgr {
public:
    enum Kind { KindSerial = 1, KindFile = 2 };

    // What an input writes into the map for a name it has no value for (a
    // name it does not know, or one the ECU has not sent): gauges then show
    // no number rather than a made-up one.
    static double NoValue() { return std::numeric_limits<double>::quiet_NaN(); }
    static bool IsNoValue(double value) { return std::isnan(value); }

    virtual ~RTDataMgr() = default;
    // Once per tick: refresh the data, then write a value into the dispatcher's
    // map for every name in it (or remove names the input cannot serve).
    virtual void Update() = 0;
    virtual double GetValue(const wxString& name) = 0;
    virtual bool HasValue(const wxString& name) = 0;
    virtual int GetKind() = 0;
    // Whether the values of the last Update() are old (not refreshed for a
    // while); gauges then draw them as such. Replayed values never are.
    virtual bool IsStale() { return false; }
    // Whether the values may be false: the line is noisy (it refuses many
    // replies, so some spoiled ones pass every check). Gauges draw them in a
    // doubtful colour.
    virtual bool IsDoubtful() { return false; }
    // The value of an expression in the definition file's language that is
    // no channel (an indicator lamp's), over the values of the last
    // Update(); NoValue() when it has none, or the input computes none.
    virtual double ExpressionValue(const wxString&) { return NoValue(); }

    // The dispatcher's map; not owned. Set by GaugeUpdater::SetInput.
    void setValueMap(ValueMap* values) { valueMap = values; }

protected:
    ValueMap* valueMap = nullptr;
};
