#pragma once
// What a definition file's [FrontPage] asks the dashboard to show first: the
// gauges by number (gauge1 is the dial, the rest the digital gauges, in
// order) and the indicator lamps. No display needed: colours are plain RGB.
#include <wx/string.h>

#include <vector>

struct LampColour {
    unsigned char red = 0, green = 0, blue = 0;
};

// A colour of an indicator line by its name ("white", "red", ...; case does
// not matter); false for a name it does not know.
bool LampColourNamed(const wxString& name, LampColour& colour);

struct Indicator {
    wxString expression; // without braces
    wxString offText, onText;
    LampColour offBackground{255, 255, 255}, offForeground{0, 0, 0};
    LampColour onBackground{0, 200, 0}, onForeground{0, 0, 0};
};

struct FrontPage {
    // Entry names of the gauges; position 0 is gauge1. A number the file
    // skips leaves an empty name.
    std::vector<wxString> gauges;
    std::vector<Indicator> indicators;

    // Names gauge `number` (1-based; numbers below 1 are ignored).
    void setGauge(int number, const wxString& entryName);
};
