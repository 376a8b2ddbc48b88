#include "tools/tarn-ecu-sim/EngineModel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979;

// Phases of one cycle, in seconds from its start.
constexpr double kRevStart = 10.0;   // idle until here
constexpr double kGearSeconds = 3.0; // gears 1 to 3 while revving
constexpr double kCruiseStart = 19.0;
constexpr double kCoastStart = 34.0;

constexpr double kIdleRpm = 850.0;
// Engine speed per road speed in each gear (rpm per km/h); index 0 unused.
constexpr double kRpmPerKmh[] = {0.0, 120.0, 70.0, 48.0, 30.0};
// Road speed at the end of each gear while revving.
constexpr double kGearTopSpeed[] = {0.0, 45.0, 78.0, 100.0};
constexpr double kCruiseSpeed = 100.0;
constexpr double kBaro = 100.6;         // kPa
constexpr double kStoichiometric = 14.7; // petrol
// Time step for the rates of change (tpsDot, mapDot).
constexpr double kRateStep = 0.1;

double Smooth(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

// What the driver and the road make of the engine at one moment.
struct Drive {
    int gear = 0;
    double speed = 0; // km/h
    double rpm = kIdleRpm;
    double tps = 0;  // %
    double map = 34; // kPa
    double afrTarget = kStoichiometric;
    bool accelerating = false;
};

Drive DriveAt(double seconds)
{
    const double t = std::fmod(std::max(seconds, 0.0), EngineModel::kCycleSeconds);
    // A slow wobble so that no value sits perfectly still.
    const double wobble = std::sin(2 * kPi * seconds / 1.7);
    Drive d;
    d.rpm = kIdleRpm + 20 * wobble;
    d.map = 34 + wobble;
    if (t >= kRevStart && t < kCruiseStart) {
        const double intoRev = t - kRevStart;
        d.gear = 1 + std::min(2, static_cast<int>(intoRev / kGearSeconds));
        const double f = (intoRev - (d.gear - 1) * kGearSeconds) / kGearSeconds;
        d.speed = kGearTopSpeed[d.gear - 1] + (kGearTopSpeed[d.gear] - kGearTopSpeed[d.gear - 1]) * f;
        // The clutch slips while pulling away; the turbo spools up in each gear.
        d.rpm = std::max(1500.0, d.speed * kRpmPerKmh[d.gear]);
        d.tps = 70 + 10 * wobble;
        d.map = 95 + 55 * Smooth(2 * f);
        d.afrTarget = 12.0; // rich under boost
        d.accelerating = f < 0.15;
    } else if (t >= kCruiseStart && t < kCoastStart) {
        const double settle = Smooth((t - kCruiseStart) / 2.0);
        d.gear = 4;
        d.speed = kCruiseSpeed + 2 * wobble;
        d.rpm = d.speed * kRpmPerKmh[4];
        d.tps = 18 + 2 * wobble + 30 * (1 - settle);
        d.map = 55 + 2 * wobble + 40 * (1 - settle);
    } else if (t >= kCoastStart) {
        const double f = (t - kCoastStart) / (EngineModel::kCycleSeconds - kCoastStart);
        d.speed = kCruiseSpeed * (1 - f);
        if (f < 0.5) {
            d.gear = 4;
            d.rpm = std::max(kIdleRpm, d.speed * kRpmPerKmh[4]);
            d.map = 25;
            d.afrTarget = 18.0; // overrun, fuel trimmed back
        } else {
            d.rpm = kIdleRpm + 150 * (1 - Smooth((f - 0.5) * 4)) + 20 * wobble;
        }
    }
    return d;
}

// The names definition files and datalogs of various firmwares give these values.
struct Output {
    const char* names[8];
};

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
    seconds = std::max(seconds, 0.0);
    const Drive d = DriveAt(seconds);
    const Drive before = DriveAt(std::max(seconds - kRateStep, 0.0));
    const double wobble = std::sin(2 * kPi * seconds / 1.7);

    const double coolant = 88 - 68 * std::exp(-seconds / 120.0);
    const double mat = 25 + 3 * std::sin(seconds / 60) + (coolant - 20) / 10 + (d.map > kBaro ? 8 : 0);
    const bool warmingUp = coolant < 70;
    const double battery = 13.8 + 0.1 * wobble - (d.gear == 0 ? 0.2 : 0.0);
    const double afr = d.afrTarget + 0.15 * wobble;
    const double lambda = afr / kStoichiometric;
    const double spark = std::clamp(10 + d.rpm / 250 - (d.map - 30) / 8, 5.0, 38.0);
    const double dwell = 3.5 - (battery - 12) * 0.3 - d.rpm / 20000;
    const double warmupEnrich = 100 + (warmingUp ? (70 - coolant) * 0.8 : 0);
    const double accelEnrich = d.accelerating ? 115 : 100;
    // Injector pulse width follows the air the engine takes in and the mixture asked for.
    const double pw = 1.0 + 6.5 * (d.map / 100) * (kStoichiometric / afr) * warmupEnrich / 100 *
                                accelEnrich / 100;
    // One injection every second revolution.
    const double duty = std::min(100.0, pw / (120000.0 / d.rpm) * 100);
    const int status = 1 | (warmingUp ? 4 : 0) | (d.accelerating ? 8 : 0);

    struct Entry {
        Output output;
        double value;
    };
    const Entry entries[] = {
        {{{"rpm", "enginespeed", "rpm1", "rpmvalue"}}, d.rpm},
        // Hundreds of rpm in one byte, as the oldest firmwares send it.
        {{{"rpm100"}}, d.rpm / 100},
        {{{"map", "kpa", "mapkpa", "mapvalue"}}, d.map},
        {{{"tps", "tp", "throttle", "tpspercent", "tpsvalue"}}, d.tps},
        {{{"coolant", "clt", "cts", "water", "coolanttemp", "engtemp"}}, coolant},
        // Temperatures 40 degrees up, so that one unsigned byte holds the cold ones.
        {{{"coolantraw"}}, coolant + 40},
        {{{"iatraw"}}, mat + 40},
        {{{"mat", "iat", "airtemp", "intake", "intaketemp", "manifoldairtemp"}}, mat},
        {{{"spark", "advance", "adv", "sparkadv", "ignadv", "ignitionadvance", "timing"}}, spark},
        {{{"dwell", "dwelltime", "sparkdwellvalue"}}, dwell},
        {{{"afr", "airfuelratio", "afr1"}}, afr},
        {{{"afrtarget", "afrtgt1", "currenttargetafr"}}, d.afrTarget},
        {{{"lambda", "lambda1", "lambdavalue"}}, lambda},
        // A narrow-band sensor's volts.
        {{{"ego", "o2", "egov", "egovolts"}}, 0.45 + 0.4 * std::tanh((1 - lambda) * 20)},
        {{{"egocorrection", "egocor", "gego", "egocorrection1"}}, 100 + 3 * wobble},
        {{{"batt", "battery", "batteryvoltage", "batt v", "volts", "vbatt", "batt_v"}}, battery},
        {{{"speed", "vss", "kmh", "vehiclespeed", "vehiclespeedkph"}}, d.speed},
        {{{"gear"}}, static_cast<double>(d.gear)},
        {{{"baro", "barometer", "baropressure"}}, kBaro},
        {{{"pw", "pulsewidth", "pw1", "pulsewidth1"}}, pw},
        {{{"duty", "dutycycle", "dutycycle1", "injduty", "injectordutycycle"}}, duty},
        {{{"secl", "seconds"}}, std::fmod(std::floor(seconds), 256.0)},
        {{{"status", "engine"}}, static_cast<double>(status)},
        {{{"knockretard", "knockret"}}, d.map > 140 && d.rpm > 4500 ? 1.5 : 0.0},
        {{{"idleduty", "idledc", "iacstep"}}, d.gear == 0 ? 35.0 + (warmingUp ? 10 : 0) : 20.0},
        {{{"oilpressure", "oilpress"}}, std::min(600.0, 100 + d.rpm * 0.06 + (coolant < 60 ? 40 : 0))},
        // A rising-rate regulator keeps the fuel 330 kPa above the manifold.
        {{{"fuelpressure", "fuelpress"}}, 330 + d.map - kBaro},
        {{{"egt", "egt1", "exhaustgastemp"}}, 300 + d.rpm * 0.06 + d.map * 2},
        {{{"vecurr", "vecurr1", "ve1", "vevalue"}}, 35 + 40 * std::min(d.map, 150.0) / 100},
        {{{"warmupenrich"}}, warmupEnrich},
        {{{"accelenrich"}}, accelEnrich},
        {{{"barocorrection"}}, 100.0},
        {{{"aircorrection"}}, 100 - (mat - 20) * 0.2},
        {{{"tpsdot"}}, (d.tps - before.tps) / kRateStep},
        {{{"mapdot"}}, (d.map - before.map) / kRateStep},
        {{{"boosttarget"}}, 160.0},
        {{{"boostduty"}}, d.map > kBaro ? 45.0 : d.gear == 4 ? 10.0 : 0.0},
        {{{"fanduty"}}, std::clamp((coolant - 85) * 20, 0.0, 100.0)},
        {{{"ethanol", "flex"}}, 10.0},
        {{{"synclosscount", "synclosscounter"}}, 0.0},
        {{{"loopspersecond"}}, 2000 - d.rpm / 10},
        {{{"freeram"}}, 1536.0},
        {{{"fueltemp"}}, 25 + (coolant - 20) * 0.1},
        {{{"errorcode", "errors"}}, 0.0},
    };
    values.clear();
    for (const Entry& entry : entries)
        for (const char* name : entry.output.names)
            if (name)
                values[name] = entry.value;
}

bool EngineModel::value(const wxString& lowerName, double& out) const
{
    auto it = values.find(lowerName);
    if (it == values.end())
        return false;
    out = it->second;
    return true;
}
