#include "dispatch/GaugeUpdater.h"

#include <algorithm>

void GaugeUpdater::AddGauge(GaugeListener* observer)
{
    gauges.push_back(observer);
}

void GaugeUpdater::RemoveGauge(GaugeListener* observer)
{
    auto it = std::find(gauges.begin(), gauges.end(), observer);
    if (it != gauges.end())
        gauges.erase(it);
}

void GaugeUpdater::SetInput(RTDataMgr* newInput)
{
    input = newInput;
    values.clear();
    if (input) {
        input->setValueMap(&values);
        return;
    }
    MarkStale(true); // nothing refreshes what is left on screen
    for (GaugeListener* gauge : gauges)
        if (gauge)
            gauge->SetDoubtful(false);
}

void GaugeUpdater::MarkStale(bool stale)
{
    for (GaugeListener* gauge : gauges)
        if (gauge)
            gauge->SetStale(stale);
}

void GaugeUpdater::ClearValues()
{
    for (GaugeListener* gauge : gauges)
        if (gauge)
            gauge->SetValue(RTDataMgr::NoValue());
}

void GaugeUpdater::Update()
{
    values.clear();
    // Gauges showing the same name share one entry, so the input is asked once.
    for (GaugeListener* gauge : gauges) {
        if (!gauge)
            continue;
        const wxString name = gauge->GetSymbolName();
        if (values.find(name) == values.end())
            values[name] = 0.0;
    }
    FetchValues();
    const bool stale = input && input->IsStale();
    const bool doubtful = input && input->IsDoubtful();
    for (GaugeListener* gauge : gauges) {
        if (gauge) {
            gauge->RefreshSymbol(values);
            gauge->SetStale(stale);
            gauge->SetDoubtful(doubtful);
        }
    }
}

bool GaugeUpdater::IsValueAvailable(const wxString& name)
{
    return input ? input->HasValue(name) : false;
}

void GaugeUpdater::FetchValues()
{
    if (input)
        input->Update();
}

double GaugeUpdater::GetValue(const wxString& name)
{
    return input ? input->GetValue(name) : 0.0;
}
