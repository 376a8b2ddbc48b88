#pragma once
// How a log's value becomes a value in the gauge's unit, where the two units
// are temperatures (°F, °C) or pressures (psi, kPa) of another kind. Units it
// does not know, or that are the same, pass values unchanged.
#include <wx/string.h>

struct UnitConversion {
    double scale = 1.0;
    double offset = 0.0; // gauge value = log value * scale + offset
    wxString from, to;   // the two units as written; empty when unchanged

    bool Converts() const { return !from.empty(); }
    double Apply(double value) const { return value * scale + offset; }

    static UnitConversion Between(const wxString& logUnits, const wxString& gaugeUnits);
};
