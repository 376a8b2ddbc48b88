#pragma once
// A gauge without a window: records every value it is asked to show.
#include "dispatch/GaugeListener.h"

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

    wxString name;
    std::vector<double> shown;
    bool stale = false;
};
