#pragma once
// A gauge offering the user its choice of descriptions, the same way for the
// dial and the digital gauge: ask the dispatcher what the current input can
// serve, and show the offer in the gauge's selector.
#include "dispatch/GaugeUpdater.h"
#include "gaugemodel/GaugeDescChooser.h"
#include "gauges/GaugeValueSelector.h"

#include <wx/weakref.h>

// Which values the current input can serve. No dispatcher or no input: none
// (an empty test, which the chooser takes for "no input").
GaugeDescChooser::ServesValue ValuesServedBy(GaugeUpdater* dispatcher);

// Shows the chooser's last offer in `selector`, made anew (for `gauge`,
// reporting to `target`) when a forced close destroyed it. The heading names
// the gauge (`kind`, as "dial") and what it shows now: `shown`, a position in
// the chooser's list, or -1; that row is marked.
void ShowChoice(wxWeakRef<GaugeValueSelector>& selector, wxWindow* gauge, GaugeListener* target,
                const GaugeDescChooser& chooser, int shown, const wxString& kind);
