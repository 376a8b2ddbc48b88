#include "gaugemodel/PeakHold.h"

#include "gaugemodel/NumberFormat.h"

#include <cmath>

void PeakHold::Take(double value)
{
    if (std::isnan(value))
        return;
    if (!held) {
        highest = lowest = value;
        held = true;
        return;
    }
    if (value > highest)
        highest = value;
    if (value < lowest)
        lowest = value;
}

wxString PeakHold::Text(const wxString& format) const
{
    if (!held)
        return wxString();
    return "max " + FormatNumber(format, highest) + "/min " + FormatNumber(format, lowest);
}
