#!/usr/bin/env python3
"""Writes sample/datalog.log: a 10 Hz recording of a made-up drive in a small
turbocharged four-cylinder car, for replaying on the dashboard.

The drive: cranking and start, cold idle while the engine warms up, a few
revs in neutral, pulling away through the gears, a highway cruise, a hard
pull in second and third with full boost (and a moment of knock retard),
slowing down, and idle again.

Deterministic: the same script always writes the same file.
Usage: make-datalog.py [OUTPUT]   (default: datalog.log beside this script)
"""

import math
import os
import random
import sys

RATE_HZ = 10
STEP = 1.0 / RATE_HZ
SEED = 20240611

BARO = 100.6            # kPa, absolute
AMBIENT = 25.0          # degrees C
REQ_FUEL = 6.8          # ms at 100 kPa, VE 1, stoichiometric
DEAD_TIME = 0.9         # ms, injector opening time
STOICH = 14.7
MAX_BOOST = 77.0        # kPa above baro
KMH_PER_1000 = {1: 8.0, 2: 14.0, 3: 21.0, 4: 28.0, 5: 35.0}

COLUMNS = [
    ("Time", "{:.3f}"), ("SecL", "{:d}"), ("RPM", "{:d}"), ("MAP", "{:.1f}"),
    ("Baro", "{:.1f}"), ("MAT", "{:.1f}"), ("Coolant", "{:.1f}"), ("TPS", "{:.1f}"),
    ("BatteryVoltage", "{:.2f}"), ("PulseWidth", "{:.2f}"), ("Spark", "{:.1f}"),
    ("Dwell", "{:.2f}"), ("AFR", "{:.2f}"), ("Lambda", "{:.3f}"),
    ("EGOCorrection", "{:.1f}"), ("KnockRetard", "{:.1f}"), ("VSS", "{:.1f}"),
    ("Gear", "{:d}"), ("OilPressure", "{:.0f}"), ("FuelPressure", "{:.1f}"),
    ("IdleDuty", "{:.1f}"), ("Boost", "{:.1f}"), ("DutyCycle", "{:.1f}"),
]


def lag(current, target, tau):
    """First-order lag over one sample with time constant tau (seconds)."""
    if tau <= 0:
        return target
    return current + (target - current) * (1.0 - math.exp(-STEP / tau))


def clamp(value, low, high):
    return max(low, min(high, value))


# The driver's plan: (seconds, what happens). Each phase sets the gear (0 is
# neutral or clutch down), the throttle and how the car's speed changes.
PLAN = [
    (1.6, "crank"),
    (2.4, "start"),
    (76.0, "idle"),
    (2.5, "blip:32"), (3.0, "idle"), (2.5, "blip:45"), (3.5, "idle"), (2.5, "blip:60"),
    (6.0, "idle"),
    (3.5, "drive:1:24:1.9"), (0.6, "shift"),
    (6.0, "drive:2:28:1.3"), (0.6, "shift"),
    (6.0, "drive:3:26:0.9"), (0.6, "shift"),
    (7.0, "drive:4:24:0.6"), (0.6, "shift"),
    (70.0, "cruise:5:90"),
    (9.0, "coast:5:1.1"), (0.8, "shift"),
    (2.6, "pull:2:4.2"), (0.4, "shift"),
    (3.5, "pull:3:2.9"),
    (10.0, "coast:3:1.9"),
    (2.0, "brake:0:1.2"),
    (10.0, "brake:0:1.5"),
    (83.0, "idle"),
]


class Engine:
    def __init__(self, rng):
        self.rng = rng
        self.t = 0.0
        self.rpm = 0.0
        self.vss = 0.0
        self.gear = 0
        self.tps = 0.0
        self.map = BARO - 8.0
        self.mat = AMBIENT
        self.coolant = 20.0
        self.battery = 12.4
        self.afr = 12.6
        self.ego = 100.0
        self.knock = 0.0
        self.oil = 0.0
        self.idle_duty = 48.0
        self.running = False

    def noise(self, size):
        return self.rng.uniform(-size, size)

    def idle_target(self):
        # Fast idle while cold, settling to 850 rpm once warm.
        warm = clamp((self.coolant - 20.0) / 60.0, 0.0, 1.0)
        return 1150.0 - 300.0 * warm

    def step(self, phase, phase_time):
        kind, *args = phase.split(":")
        tps_target = 0.4
        rpm_target = None
        gear = 0
        accel = 0.0                     # km/h per second
        if kind == "crank":
            rpm_target = 190.0 + 40.0 * math.sin(phase_time * 23.0)
        elif kind == "start":
            self.running = True
            rpm_target = 1450.0 if phase_time < 0.7 else self.idle_target()
        elif kind == "idle":
            rpm_target = self.idle_target()
        elif kind == "blip":
            peak = float(args[0])
            tps_target = peak if phase_time < 0.9 else 0.4
            rpm_target = self.idle_target() + peak * 75.0 if phase_time < 0.9 else self.idle_target()
        elif kind == "shift":
            tps_target = 0.0
            rpm_target = self.rpm * 0.8
            accel = -0.8
        elif kind in ("drive", "pull"):
            gear = int(args[0])
            if kind == "drive":
                tps_target = float(args[1])
                accel = float(args[2]) * 3.6
            else:
                tps_target = 100.0
                # Boost builds with revs, and with it the pull.
                accel = float(args[1]) * 3.6 * (0.55 + 0.45 * self.boost_fraction())
        elif kind == "cruise":
            gear = int(args[0])
            target = float(args[1]) + 2.5 * math.sin(phase_time / 9.0)
            accel = clamp(target - self.vss, -1.0, 1.0)
            tps_target = 15.0 + 5.0 * accel + 1.5 * math.sin(phase_time / 4.0)
        elif kind == "coast":
            gear = int(args[0])
            accel = -float(args[1]) * 3.6
        elif kind == "brake":
            accel = -float(args[1]) * 3.6
            rpm_target = self.idle_target()

        self.gear = gear
        self.vss = max(0.0, self.vss + accel * STEP)
        self.tps = clamp(lag(self.tps, tps_target, 0.12) + self.noise(0.15), 0.0, 100.0)

        if gear:
            # Clutch engaged: revs follow the wheels (slipping at pull-away).
            wheel_rpm = self.vss * 1000.0 / KMH_PER_1000[gear]
            rpm_target = max(wheel_rpm, 1400.0 if kind == "drive" and gear == 1 else 0.0)
            self.rpm = lag(self.rpm, rpm_target, 0.15)
        else:
            tau = 0.25 if rpm_target > self.rpm else 0.45
            self.rpm = lag(self.rpm, rpm_target, tau)
        if self.running and not gear:
            self.rpm += self.noise(12.0)

        self.update_load(kind)
        self.update_temperatures()
        self.update_electrics(kind)
        self.update_mixture(kind)
        self.update_knock(kind, phase_time)

    def boost_fraction(self):
        return clamp((self.rpm - 2400.0) / 1500.0, 0.0, 1.0)

    def update_load(self, kind):
        if kind == "crank":
            target, tau = BARO - 8.0 + self.noise(1.5), 0.1
        elif self.tps > 90.0:
            target, tau = BARO + MAX_BOOST * self.boost_fraction(), 0.7
        elif self.tps < 1.0 and self.rpm > 1500.0:
            target, tau = 23.0, 0.2           # closed throttle at speed
        else:
            idle_map = 38.0 - 4.0 * clamp((self.coolant - 20.0) / 60.0, 0.0, 1.0)
            part = (self.tps / 100.0) ** 0.6
            target = idle_map + (BARO - idle_map) * part - (self.rpm - 900.0) * 0.002
            tau = 0.2
        self.map = clamp(lag(self.map, target, tau) + self.noise(0.4), 15.0, 200.0)

    def update_temperatures(self):
        # Warms steadily until the thermostat opens, then holds just under 90.
        heat = 0.17 + self.rpm / 15000.0 + max(0.0, self.map - 40.0) / 300.0
        if self.coolant > 82.0:
            heat *= max(0.0, 90.5 - self.coolant) / 8.5
        self.coolant += heat * STEP
        boost = max(0.0, self.map - BARO)
        if boost > 0:
            mat_target = AMBIENT + 3.0 + boost * 0.16
        elif self.vss > 30.0:
            mat_target = AMBIENT + 2.5
        else:
            mat_target = AMBIENT + 9.0            # heat soak when standing
        self.mat = lag(self.mat, mat_target, 2.5 if boost > 0 else 30.0)

    def update_electrics(self, kind):
        if kind == "crank":
            target = 12.25 + 0.15 * math.sin(self.t * 23.0)
        elif not self.running:
            target = 12.4
        else:
            target = 14.05 if self.t > 6.0 else 13.4
        self.battery = lag(self.battery, target, 0.6) + self.noise(0.02)

        if self.rpm <= 0:
            self.oil = 0.0
        else:
            cold = 1.0 + max(0.0, 90.0 - self.coolant) / 150.0
            oil_target = min(470.0, 90.0 + self.rpm * 0.09) * cold
            self.oil = lag(self.oil, min(520.0, oil_target), 0.5)

        warm = clamp((self.coolant - 20.0) / 60.0, 0.0, 1.0)
        duty_target = 48.0 - 16.0 * warm if self.tps < 3.0 else 36.0
        self.idle_duty = lag(self.idle_duty, duty_target, 1.0)

    def closed_loop(self, kind):
        return self.running and self.coolant > 55.0 and self.tps < 60.0 and kind not in (
            "crank", "start", "shift") and not (self.tps < 1.0 and self.rpm > 1500.0)

    def target_afr(self, kind):
        if kind in ("crank", "start"):
            return 12.4
        if self.tps > 90.0:
            return 12.6 - 0.5 * self.boost_fraction()
        if self.tps < 1.0 and self.rpm > 1500.0:
            return 16.2                          # enleanment on overrun
        warm = clamp((self.coolant - 20.0) / 45.0, 0.0, 1.0)
        return 13.4 + (STOICH - 13.4) * warm

    def update_mixture(self, kind):
        target = self.target_afr(kind)
        if self.closed_loop(kind):
            # The oxygen-sensor loop hunts gently around stoichiometric.
            self.ego = clamp(100.0 + 3.0 * math.sin(self.t * 2.1) + self.noise(0.8), 90.0, 110.0)
            target += 0.12 * math.sin(self.t * 2.1 + 1.2)
        else:
            self.ego = lag(self.ego, 100.0, 0.5)
        self.afr = lag(self.afr, target, 0.15) + self.noise(0.04)

    def update_knock(self, kind, phase_time):
        if kind == "pull" and self.gear == 3 and 1.5 <= phase_time < 1.7:
            self.knock = 4.5
        else:
            self.knock = max(0.0, self.knock - 1.2 * STEP)

    def pulse_width(self, kind):
        if kind == "crank":
            return 9.0
        ve = 0.55 + 0.4 * clamp((self.rpm - 800.0) / 3700.0, 0.0, 1.0)
        warmup = 1.0 + 0.35 * clamp((70.0 - self.coolant) / 50.0, 0.0, 1.0)
        fuel = REQ_FUEL * (self.map / 100.0) * ve * (STOICH / self.target_afr(kind))
        return clamp(DEAD_TIME + fuel * warmup * self.ego / 100.0, 1.5, 15.0)

    def spark(self, kind):
        if kind in ("crank", "start"):
            return 10.0
        if self.tps < 3.0 and self.rpm < 1300.0:
            base = 14.0                          # idle timing
        else:
            base = min(36.0, 12.0 + self.rpm / 160.0) - max(0.0, self.map - 50.0) * 0.15
        return clamp(base, 5.0, 35.0) - self.knock

    def dwell(self):
        base = 3.0 * 14.0 / max(self.battery, 9.0)
        if self.rpm > 5000.0:
            base -= (self.rpm - 5000.0) / 4000.0
        return clamp(base, 2.5, 4.0)

    def record(self, kind):
        rpm = int(round(max(0.0, self.rpm)))
        map_kpa = round(self.map, 1)
        afr = round(self.afr, 2)
        pulse = round(self.pulse_width(kind), 2)
        return [
            round(self.t, 3),
            int(self.t) % 256,
            rpm,
            map_kpa,
            BARO,
            self.mat,
            self.coolant,
            self.tps,
            self.battery,
            pulse,
            self.spark(kind),
            self.dwell(),
            afr,
            afr / STOICH,
            self.ego,
            self.knock,
            self.vss,
            self.gear,
            self.oil,
            300.0 + (map_kpa - BARO),            # regulator follows the manifold
            self.idle_duty,
            max(0.0, round(map_kpa - BARO, 1)),
            pulse * rpm / 1200.0,
        ]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "datalog.log")
    engine = Engine(random.Random(SEED))
    lines = ["tarndash sample datalog: 2.0 l turbo four, warm-up, town, highway and a hard pull"]
    lines.append("\t".join(name for name, _ in COLUMNS))
    sample = 0
    for seconds, phase in PLAN:
        kind = phase.split(":")[0]
        for i in range(int(round(seconds * RATE_HZ))):
            engine.t = sample * STEP
            sample += 1
            engine.step(phase, i * STEP)
            values = engine.record(kind)
            lines.append("\t".join(fmt.format(v) for (_, fmt), v in zip(COLUMNS, values)))
    with open(out_path, "w", encoding="ascii", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
