#include "gaugemodel/AlarmState.h"

void AlarmState::SetBounds(const AlarmBounds& b)
{
    bounds = b;
    level = AlarmLevel::None;
    flashOff = false;
    peaks.Reset();
}

bool AlarmState::TakeValue(double value)
{
    peaks.Take(value);
    const AlarmLevel next = ClassifyValue(bounds, value);
    if (next == level)
        return false;
    level = next;
    // A value that enters danger shows the danger colour at once.
    flashOff = false;
    return true;
}

bool AlarmState::SetStale(bool s)
{
    if (s == stale)
        return false;
    stale = s;
    flashOff = false;
    return true;
}

bool AlarmState::SetDoubtful(bool d)
{
    if (d == doubtful)
        return false;
    doubtful = d;
    flashOff = false;
    return true;
}

bool AlarmState::ToggleFlash()
{
    if (!Flashing())
        return false;
    flashOff = !flashOff;
    return true;
}

RgbColour AlarmState::Colour(const Palette& palette, const RgbColour& normal) const
{
    return ValueColour(palette, normal, level, stale, doubtful, flashOff);
}
