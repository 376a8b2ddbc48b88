#pragma once
// The question a gauge's chooser asks of the dispatcher: which values the
// current input can serve. No dispatcher or no input: nothing (an empty test).
#include "dispatch/GaugeUpdater.h"
#include "gaugemodel/GaugeDescChooser.h"

inline GaugeDescChooser::ServesValue ValuesServedBy(GaugeUpdater* dispatcher)
{
    if (!dispatcher || !dispatcher->GetInput())
        return GaugeDescChooser::ServesValue();
    return [dispatcher](const wxString& name) { return dispatcher->IsValueAvailable(name); };
}
