#include "gaugemodel/LampRow.h"

#include <cmath>

LampState LampStateOf(double value)
{
    if (std::isnan(value))
        return LampState::NoValue;
    return value != 0.0 ? LampState::On : LampState::Off;
}

std::vector<int> LampsShown(const std::vector<LampState>& states, int room)
{
    std::vector<int> shown;
    const int count = int(states.size());
    if (room <= 0)
        return shown;
    if (count <= room) {
        for (int i = 0; i < count; ++i)
            shown.push_back(i);
        return shown;
    }
    for (int i = 0; i < count && int(shown.size()) < room; ++i)
        if (states[i] == LampState::On)
            shown.push_back(i);
    for (int i = 0; i < count && int(shown.size()) < room; ++i)
        if (states[i] != LampState::On)
            shown.push_back(i);
    return shown;
}

LampLook LampLookOf(const Palette& palette, const Indicator& lamp, LampState state)
{
    const auto own = [&palette](const LampColour& c) {
        return Dimmed({c.red, c.green, c.blue}, palette.lampLevel);
    };
    switch (state) {
    case LampState::On:
        return {own(lamp.onBackground), own(lamp.onForeground)};
    case LampState::Off:
        if (palette.unlitLamp)
            return *palette.unlitLamp;
        return {own(lamp.offBackground), own(lamp.offForeground)};
    case LampState::NoValue:
        break;
    }
    return palette.noValueLamp;
}
