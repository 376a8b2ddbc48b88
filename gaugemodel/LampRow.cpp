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
