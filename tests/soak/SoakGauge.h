#pragma once
// A gauge without a window for long runs: keeps only what it shows now.
#include "dispatch/GaugeListener.h"

#include <limits>

// The five gauges of the soaks: channels of the sample definition file, one
// of them (lambda) an expression.
inline constexpr const char* kSoakGaugeNames[] = {"rpm", "map", "spark", "lambda", "dwell"};

class SoakGauge : public GaugeListener {
public:
    explicit SoakGauge(const char* symbol) : name(symbol) {}
    void SetValue(double v) override { value = v; }
    void RefreshSymbol(const ValueMap& values) override
    {
        // A name the input removed keeps what was shown, as on screen.
        const auto it = values.find(name);
        if (it != values.end())
            SetValue(it->second);
    }
    wxString GetSymbolName() override { return name; }
    void SetValueIdx(int) override {}
    void SetStale(bool isStale) override { stale = isStale; }

    const wxString name;
    double value = std::numeric_limits<double>::quiet_NaN(); // NaN: no number
    bool stale = false;
};
