#pragma once
// What colours one gauge's value: its alarm level against the description's
// limits, whether the value is stale or doubtful, the phase of a danger
// flash, and the peaks it reached. Shared by the dial and the digital gauge.
#include "gaugemodel/GaugeAlarm.h"
#include "gaugemodel/Palette.h"
#include "gaugemodel/PeakHold.h"

class AlarmState {
public:
    // Half a period of the danger flash (about 2 Hz).
    static constexpr int kFlashHalfMs = 250;

    // Limits of a new description: its peaks start again.
    void SetBounds(const AlarmBounds& bounds);
    // Each returns true when the value's colour changed.
    bool TakeValue(double value);
    bool SetStale(bool stale);
    bool SetDoubtful(bool doubtful);
    // The other half of the flash.
    bool ToggleFlash();

    // Whether the value flashes now (danger, live and trusted).
    bool Flashing() const { return level == AlarmLevel::Danger && !stale && !doubtful; }
    // The level of a live value; None while stale.
    AlarmLevel LiveLevel() const { return stale ? AlarmLevel::None : level; }
    AlarmLevel Level() const { return level; }
    bool IsStale() const { return stale; }
    bool IsDoubtful() const { return doubtful; }
    RgbColour Colour(const Palette& palette, const RgbColour& normal) const;

    PeakHold& Peaks() { return peaks; }
    const PeakHold& Peaks() const { return peaks; }

private:
    AlarmBounds bounds;
    AlarmLevel level = AlarmLevel::None;
    bool stale = false;
    bool doubtful = false;
    bool flashOff = false;
    PeakHold peaks;
};
