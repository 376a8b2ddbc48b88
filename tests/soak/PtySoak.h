#pragma once
// Hang-up and replug cycles on a real pseudo-terminal, in real time: the
// simulator (tarn-ecu-sim, as a child process) closes its terminal after
// every two answers (the running signature, then one block) and opens a new
// one at the same link, while the ECU input keeps fetching through the real
// serial device. The in-memory line cannot leak a descriptor; this can.
// The simulator plays one record, so every value shown as live is known.
#include "tests/soak/SoakFigures.h"

#include <string>

class SymbolTable;

struct PtySoakPlan {
    long cycles = 1000;      // good fetches, each followed by a hang-up
    long newInputEvery = 100; // good fetches between choosing ECU again
    double warmUpShare = 0.1;
    long sampleEvery = 10;
    int limitSeconds = 900; // a line that stopped answering ends the phase
};

PhaseFigures RunPtySoak(const SymbolTable& table, const PtySoakPlan& plan,
                        const std::string& logFolder);
