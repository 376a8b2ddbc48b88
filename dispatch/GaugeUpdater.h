#pragma once
// Moves values from the current input to the registered gauges, once per tick.
// Gauges and the input are held by plain pointers and owned elsewhere.
#include "dispatch/GaugeListener.h"
#include "dispatch/GaugeValueHub.h"
#include "dispatch/RTDataMgr.h"

#include <vector>

class GaugeUpdater : public GaugeValueHub {
public:
    void AddGauge(GaugeListener* observer);
    // Removes the first entry equal to `observer`; nothing when absent.
    void RemoveGauge(GaugeListener* observer);
    size_t GetGaugeCount() const { return gauges.size(); }

    // `input` may be null. Empties the value map in either case; without an
    // input the values left on the gauges are marked stale, and no longer
    // doubtful.
    void SetInput(RTDataMgr* input);
    RTDataMgr* GetInput() const { return input; }

    // One tick: collect the shown names, let the input fill them, hand them
    // back, and tell every gauge whether they are stale and whether doubtful.
    void Update();
    void MarkStale(bool stale);
    // Every gauge shows no value, so that nothing of an input before passes
    // for a value of the next one.
    void ClearValues();

    bool IsValueAvailable(const wxString& name) override;
    void FetchValues() override;
    double GetValue(const wxString& name) override;

    const ValueMap& GetValues() const { return values; }

private:
    std::vector<GaugeListener*> gauges;
    RTDataMgr* input = nullptr;
};
