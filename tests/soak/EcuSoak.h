#pragma once
// The ECU input's tick, run for a simulated day without waiting: the
// dashboard's dispatcher and five gauges, the real input with its worker,
// protocol and serial port handler, and the simulator's firmware and fault
// injector on a line in memory (SimulatedLine). A tick advances the input's
// clock by 300 ms, lets the dispatcher tick as the GUI would, checks every
// value shown as live against the blocks the firmware sent, and waits for
// the tick's fetch to end.
#include "tests/soak/SoakFigures.h"
#include "tools/tarn-ecu-sim/FaultInjector.h"

#include <cstdint>
#include <string>

class SymbolTable;

struct EcuSoakPlan {
    std::string name;
    long ticks = 0;   // stop after so many ticks (0: no limit)
    long hangups = 0; // stop after so many hang-ups (0: no limit)
    FaultSettings faults;
    long answersPerPlug = 0; // the adapter is pulled after so many answers (0: never)
    int maxFailedOpens = 0;  // opens that fail after a hang-up, 0 to this many
    long newInputEvery = 0;  // hang-ups between choosing ECU again (0: never)
    uint64_t seed = 1;
    // Warm-up (the share of the run before the baseline sample) and how often to sample.
    double warmUpShare = 0.1;
    long sampleEvery = 1000;
};

PhaseFigures RunEcuSoak(const SymbolTable& table, const EcuSoakPlan& plan,
                        const std::string& logFolder);
