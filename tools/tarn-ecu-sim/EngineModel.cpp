#include "tools/tarn-ecu-sim/EngineModel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979;

// Phases of one cycle, in seconds from its start.
constexpr double kRevStart = 10.0;  // idle until here
constexpr double kGearSeconds = 3.0; // gears 1 to 3 while revving
constexpr double kCruiseStart = 19.0;
constexpr double kCoastStart = 34.0;

constexpr double kIdleRpm = 850.0;
// Engine speed per road speed in each gear (rpm per km/h); index 0 unused.
constexpr double kRpmPerKmh[] = {0.0, 120.0, 70.0, 48.0, 30.0};
// Road speed at the end of each gear while revving.
constexpr double kGearTopSpeed[] = {0.0, 45.0, 78.0, 100.0};
constexpr double kCruiseSpeed = 100.0;

const char* const kAliases[][6] = {
    {"rpm", "enginespeed", "rpm1", "", "", ""},
    {"map", "kpa", "mapkpa", "", "", ""},
    {"tps", "throttle", "tpspercent", "tpsadc", "", ""},
    {"coolant", "clt", "cts", "water", "coolanttemp", "engtemp"},
    {"mat", "iat", "airtemp", "intaketemp", "manifoldairtemp", ""},
    {"spark", "advance", "adv", "sparkadv", "ignadv", "timing"},
    {"dwell", "dwelltime", "", "", "", ""},
    {"afr", "airfuelratio", "afr1", "", "", ""},
    {"lambda", "lambda1", "", "", "", ""},
    {"ego", "o2", "egov", "egovolts", "", ""},
    {"egocorrection", "egocor", "gego", "", "", ""},
    {"batt", "battery", "batteryvoltage", "volts", "vbatt", "batt_v"},
    {"speed", "vss", "kmh", "vehiclespeed", "", ""},
    {"gear", "", "", "", "", ""},
    {"baro", "barometer", "", "", "", ""},
    {"pw", "pulsewidth", "pw1", "pulsewidth1", "", ""},
    {"duty", "dutycycle", "dutycycle1", "injduty", "", ""},
    {"secl", "seconds", "", "", "", ""},
};

double Smooth(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

} // namespace

EngineModel::EngineModel() : started(std::chrono::steady_clock::now())
{
    setTime(0);
}

void EngineModel::advance()
{
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started;
    setTime(elapsed.count());
}

void EngineModel::setTime(double seconds)
{
    const double t = std::fmod(std::max(seconds, 0.0), kCycleSeconds);
    // A slow wobble so that no value sits perfectly still.
    const double wobble = std::sin(2 * kPi * seconds / 1.7);

    double speed = 0; // km/h
    int gear = 0;
    double rpm = kIdleRpm + 20 * wobble;
    double tps = 0;      // %
    double map = 34 + wobble; // kPa
    double afr = 14.7 + 0.2 * wobble;
    if (t >= kRevStart && t < kCruiseStart) {
        const double intoRev = t - kRevStart;
        gear = 1 + std::min(2, static_cast<int>(intoRev / kGearSeconds));
        const double f = (intoRev - (gear - 1) * kGearSeconds) / kGearSeconds;
        speed = kGearTopSpeed[gear - 1] + (kGearTopSpeed[gear] - kGearTopSpeed[gear - 1]) * f;
        // The clutch slips while pulling away.
        rpm = std::max(1500.0, speed * kRpmPerKmh[gear]);
        tps = 70 + 10 * wobble;
        map = 92 + 2 * wobble;
        afr = 12.8 + 0.1 * wobble; // enriched for acceleration
    } else if (t >= kCruiseStart && t < kCoastStart) {
        const double settle = Smooth((t - kCruiseStart) / 2.0);
        gear = 4;
        speed = kCruiseSpeed + 2 * wobble;
        rpm = speed * kRpmPerKmh[4];
        tps = 18 + 2 * wobble + 30 * (1 - settle);
        map = 55 + 2 * wobble + 30 * (1 - settle);
        afr = 14.7 + 0.15 * wobble;
    } else if (t >= kCoastStart) {
        const double f = (t - kCoastStart) / (kCycleSeconds - kCoastStart);
        speed = kCruiseSpeed * (1 - f);
        if (f < 0.5) {
            gear = 4;
            rpm = std::max(kIdleRpm, speed * kRpmPerKmh[4]);
            map = 25;
            afr = 18.0; // overrun, fuel trimmed back
        } else {
            rpm = kIdleRpm + 150 * (1 - Smooth((f - 0.5) * 4)) + 20 * wobble;
        }
    }

    const double coolant = 88 - 68 * std::exp(-std::max(seconds, 0.0) / 120.0);
    const double battery = 13.8 + 0.1 * wobble - (gear == 0 ? 0.2 : 0.0);
    const double lambda = afr / 14.7;
    double spark = 10 + rpm / 250 - (map - 30) / 8;
    spark = std::clamp(spark, 5.0, 38.0);
    const double dwell = 3.5 - (battery - 12) * 0.3 - rpm / 20000;
    // Injector pulse width follows the air the engine takes in and the mixture asked for.
    const double pw = 1.0 + 6.5 * (map / 100) * (14.7 / afr) * (coolant < 60 ? 1.15 : 1.0);
    // One injection every second revolution.
    const double duty = std::min(100.0, pw / (120000.0 / rpm) * 100);

    const double primary[] = {
        rpm,
        map,
        tps,
        coolant,
        28 + 3 * std::sin(seconds / 60) + (coolant - 20) / 10,
        spark,
        dwell,
        afr,
        lambda,
        0.45 + 0.4 * std::tanh((1 - lambda) * 20), // narrow-band sensor volts
        100 + 3 * wobble,
        battery,
        speed,
        static_cast<double>(gear),
        100.0,
        pw,
        duty,
        std::fmod(std::floor(std::max(seconds, 0.0)), 256.0),
    };
    static_assert(sizeof(primary) / sizeof(primary[0]) == sizeof(kAliases) / sizeof(kAliases[0]),
                  "one value per alias row");
    values.clear();
    for (size_t row = 0; row < sizeof(kAliases) / sizeof(kAliases[0]); ++row)
        for (const char* alias : kAliases[row])
            if (*alias)
                values[alias] = primary[row];
}

bool EngineModel::value(const wxString& lowerName, double& out) const
{
    auto it = values.find(lowerName);
    if (it == values.end())
        return false;
    out = it->second;
    return true;
}
