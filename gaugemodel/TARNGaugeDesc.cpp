#include "gaugemodel/TARNGaugeDesc.h"

#include "base/StderrTrace.h"
#include "gaugemodel/NumberFormat.h"

#include <cmath>

const RangeColour kRangeRed = {255, 0, 0, "red"};
const RangeColour kRangeOrange = {255, 128, 0, "orange"};

void TARNGaugeDesc::setScaleFactor(int v)
{
    if (v > 0)
        scaleFactor = v;
}

void TARNGaugeDesc::addRange(double lo, double hi, const RangeColour& colour)
{
    ranges.push_back(GaugeRange{lo, hi, &colour});
}

void TARNGaugeDesc::addRedRange(double lo, double hi)
{
    addRange(lo, hi, kRangeRed);
}

void TARNGaugeDesc::addOrangeRange(double lo, double hi)
{
    addRange(lo, hi, kRangeOrange);
}

void TARNGaugeDesc::SetGaugeNumbers()
{
    labels.Clear();
    const double step = ((maxValue - minValue) / scaleFactor) / majorDivisions;
    double v = (1.0 / scaleFactor) * minValue;
    const double end = (1.0 / scaleFactor) * maxValue;
    if (!(v <= end))
        return;
    // The running sum alone would never pass `end` with a zero step (equal
    // limits) or a negative or infinite one (division counts of 0 or less).
    int limit = majorDivisions + 1;
    if (!(step > 0.0) || !std::isfinite(step) || majorDivisions < 1)
        limit = 1;
    if (limit > kMaxLabels)
        limit = kMaxLabels;
    do {
        labels.Add(FormatNumber(labelFormat, v));
        v = v + step;
        StderrTrace("TARNGaugeDesc::SetGaugeNumbers() %f\n", v);
    } while (!(v > end) && static_cast<int>(labels.GetCount()) < limit);
}

wxString TARNGaugeDesc::valueFormat() const
{
    const double span = maxValue - minValue;
    if (span > 1000)
        return "%.0f";
    if (span > 100)
        return "%3.1f";
    if (span > 10)
        return "%2.2f";
    if (span > 0.1)
        return "%1.2f";
    return "%.0f";
}

wxString TARNGaugeDesc::describe() const
{
    wxString text = wxString::Format(
        "Name : %s \nSymbol Name : %s \nMin Value : %f \nMax Value : %f \nScale factor: %i "
        "\nMajor divisions: %i \n",
        name, symbolName, minValue, maxValue, scaleFactor, majorDivisions);
    for (const GaugeRange& range : ranges)
        text += wxString::Format("min value : %f; max value : %f; \n", range.lo, range.hi);
    return text;
}
