#pragma once
// A palette's plain colour as the toolkit draws it.
#include "gaugemodel/Palette.h"

#include <wx/colour.h>

inline wxColour Colour(const RgbColour& c)
{
    return wxColour(c.red, c.green, c.blue);
}
