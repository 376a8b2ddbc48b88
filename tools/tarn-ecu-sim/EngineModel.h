#pragma once
// A made-up engine that idles, revs up through the gears, cruises and coasts
// back to idle, over and over (a 40 s cycle), while the coolant warms up.
// Values are plausible rather than physical; they exist so that a dashboard
// without a car has something lively and believable to show.
#include "tools/tarn-ecu-sim/ValueSource.h"

#include <chrono>
#include <map>

class EngineModel : public ValueSource {
public:
    EngineModel();
    // Samples the model at the time elapsed since construction.
    void advance() override;
    bool value(const wxString& lowerName, double& out) const override;

    // Samples the model at `seconds` after the engine started.
    void setTime(double seconds);

    static constexpr double kCycleSeconds = 40.0;

private:
    std::chrono::steady_clock::time_point started;
    std::map<wxString, double> values;
};
