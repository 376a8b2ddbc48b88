#pragma once
// Which indicator lamps a row shows, in what order and colours, without a
// display.
#include "gaugemodel/FrontPage.h"
#include "gaugemodel/Palette.h"

#include <vector>

enum class LampState {
    NoValue, // the expression has no value: grey
    Off,
    On,
};

// A computed value as a lamp: NaN has no value, 0 is off, anything else on.
LampState LampStateOf(double value);

// Positions of the lamps shown in a row of `room` places: all of them in
// file order when they fit; otherwise the lit lamps first, then the others,
// each kept in file order, as many as fit.
std::vector<int> LampsShown(const std::vector<LampState>& states, int room);

// The colours of `lamp`'s cell in `state` with `palette`.
LampLook LampLookOf(const Palette& palette, const Indicator& lamp, LampState state);
