#pragma once
// The File input's tick, run without waiting: the dashboard's dispatcher and
// five gauges replay a generated datalog in the dashboard's own format,
// choosing File again (a fresh input) each time the log has played through.
// Every tick must show exactly the record it plays.
#include "tests/soak/SoakFigures.h"

#include <string>

struct ReplaySoakPlan {
    long ticks = 100000;
    long records = 10000; // records of the generated log
    double warmUpShare = 0.2;
    long sampleEvery = 1000;
};

// The log is written into `folder`, where the debug log lies too.
PhaseFigures RunReplaySoak(const ReplaySoakPlan& plan, const std::string& folder);
