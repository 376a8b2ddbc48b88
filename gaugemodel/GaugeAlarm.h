#pragma once
// Whether a value lies in a warning or danger band of its gauge description.
//
// The file gives four limits: low danger, low warning, high warning, high
// danger. A value below the low danger or above the high danger limit is in
// danger, one below the low warning or above the high warning limit is in
// warning; a value past either end of the scale is in danger too, so that a
// readout that goes past its dial never looks normal. Limits that make no
// sense raise no alarm: a side whose limits are in the wrong order or lie past
// the other end of the scale, warning limits that meet or cross (every value
// would warn), a limit that is no finite number or an {expression} without a
// value. Limits past their own end (-1 or 999 in many files) mean no band.
#include "gaugemodel/GaugeRange.h"

#include <wx/string.h>

#include <vector>

class TARNGaugeDesc;

enum class AlarmLevel { None, Warning, Danger };

struct AlarmBounds {
    double minValue = 0;
    double maxValue = 0;
    bool hasScale = false; // minValue < maxValue, both finite
    bool hasLow = false;   // lowDanger and lowWarning give alarms
    double lowDanger = 0;
    double lowWarning = 0;
    bool hasHigh = false;
    double highWarning = 0;
    double highDanger = 0;
};

// What the limits of `desc` mean, and each reason a limit is dropped, for the
// user (`problems` may be null).
AlarmBounds AlarmBoundsOf(const TARNGaugeDesc& desc, std::vector<wxString>* problems = nullptr);
// NaN (no value) is never an alarm.
AlarmLevel ClassifyValue(const AlarmBounds& bounds, double value);
