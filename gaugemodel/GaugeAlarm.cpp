#include "gaugemodel/GaugeAlarm.h"

#include "gaugemodel/TARNGaugeDesc.h"

#include <cmath>

namespace {

// A limit written as an {expression} that computed nothing has no value.
bool HasValue(const TARNGaugeDesc& desc, TARNGaugeDesc::Field field, double value)
{
    return std::isfinite(value) && desc.isResolved(field);
}

} // namespace

AlarmBounds AlarmBoundsOf(const TARNGaugeDesc& desc, std::vector<wxString>* problems)
{
    AlarmBounds b;
    const auto say = [problems](const wxString& text) {
        if (problems)
            problems->push_back(text);
    };
    b.minValue = desc.getMinValue();
    b.maxValue = desc.getMaxValue();
    b.hasScale = std::isfinite(b.minValue) && std::isfinite(b.maxValue) && b.minValue < b.maxValue
                 && desc.isResolved(TARNGaugeDesc::FieldMin)
                 && desc.isResolved(TARNGaugeDesc::FieldMax);
    const std::vector<GaugeRange>& ranges = desc.getRanges();
    if (ranges.size() != 4) {
        say("has no warning and danger limits");
        return b;
    }
    if (!b.hasScale) {
        say(wxString::Format("has no scale to warn on (%g to %g); no alarms", b.minValue,
                             b.maxValue));
        return b;
    }
    b.lowDanger = ranges[0].hi;
    b.lowWarning = ranges[1].hi;
    b.highWarning = ranges[2].lo;
    b.highDanger = ranges[2].hi;

    const bool lowValues = HasValue(desc, TARNGaugeDesc::FieldLowDanger, b.lowDanger)
                           && HasValue(desc, TARNGaugeDesc::FieldLowWarning, b.lowWarning);
    const bool highValues = HasValue(desc, TARNGaugeDesc::FieldHighWarning, b.highWarning)
                            && HasValue(desc, TARNGaugeDesc::FieldHighDanger, b.highDanger);
    // Limits past their own end of the scale are the files' way to say "no
    // band here"; past the other end every value would warn.
    b.hasLow = lowValues && b.lowDanger <= b.lowWarning && b.lowWarning <= b.maxValue;
    b.hasHigh = highValues && b.highWarning <= b.highDanger && b.highWarning >= b.minValue;
    if (!lowValues)
        say("low limits have no value; no low alarm");
    else if (b.lowDanger > b.lowWarning)
        say(wxString::Format("low danger limit %g is above the low warning limit %g; no low alarm",
                             b.lowDanger, b.lowWarning));
    else if (!b.hasLow)
        say(wxString::Format("low limits %g, %g lie above the scale %g to %g; no low alarm",
                             b.lowDanger, b.lowWarning, b.minValue, b.maxValue));
    if (!highValues)
        say("high limits have no value; no high alarm");
    else if (b.highWarning > b.highDanger)
        say(wxString::Format(
            "high warning limit %g is above the high danger limit %g; no high alarm",
            b.highWarning, b.highDanger));
    else if (!b.hasHigh)
        say(wxString::Format("high limits %g, %g lie below the scale %g to %g; no high alarm",
                             b.highWarning, b.highDanger, b.minValue, b.maxValue));
    if (b.hasLow && b.hasHigh && b.lowWarning >= b.highWarning) {
        say(wxString::Format("low warning limit %g is not below the high warning limit %g; "
                             "no alarms",
                             b.lowWarning, b.highWarning));
        b.hasLow = b.hasHigh = false;
    }
    return b;
}

AlarmLevel ClassifyValue(const AlarmBounds& b, double v)
{
    if (std::isnan(v))
        return AlarmLevel::None;
    if (b.hasScale && (v < b.minValue || v > b.maxValue))
        return AlarmLevel::Danger;
    if ((b.hasLow && v < b.lowDanger) || (b.hasHigh && v > b.highDanger))
        return AlarmLevel::Danger;
    if ((b.hasLow && v < b.lowWarning) || (b.hasHigh && v > b.highWarning))
        return AlarmLevel::Warning;
    return AlarmLevel::None;
}
