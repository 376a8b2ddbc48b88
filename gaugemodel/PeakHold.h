#pragma once
// The highest and lowest value a gauge has shown since its last reset.
#include <wx/string.h>

class PeakHold {
public:
    // NaN (no value) changes nothing.
    void Take(double value);
    void Reset() { held = false; }
    bool HasPeaks() const { return held; }
    double Max() const { return highest; }
    double Min() const { return lowest; }
    // "max …/min …" in `format` (a value format); empty without peaks.
    wxString Text(const wxString& format) const;

private:
    bool held = false;
    double highest = 0;
    double lowest = 0;
};
