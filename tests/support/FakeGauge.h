#pragma once
// A gauge without a window: records every value it is asked to show.
#include "dispatch/GaugeListener.h"

#include <cmath>
#include <vector>

class FakeGauge : public GaugeListener {
public:
    explicit FakeGauge(const char* symbol) : name(symbol) {}
    void SetValue(double v) override { shown.push_back(v); }
    void RefreshSymbol(const ValueMap& values) override
    {
        auto it = values.find(GetSymbolName());
        if (it != values.end())
            SetValue(it->second);
    }
    wxString GetSymbolName() override { return name; }
    void SetValueIdx(int) override {}
    void SetStale(bool isStale) override { stale = isStale; }
    void SetDoubtful(bool isDoubtful) override { doubtful = isDoubtful; }

    // `shown` with each NaN (no value) as kNone, so that sequences compare.
    static constexpr double kNone = -12345.0;
    std::vector<double> Shown() const
    {
        std::vector<double> values;
        for (double v : shown)
            values.push_back(std::isnan(v) ? kNone : v);
        return values;
    }

    wxString name;
    std::vector<double> shown;
    bool stale = false;
    bool doubtful = false;
};
