#pragma once
// What one phase of the soak measured, the goals it is held to, and the
// table the soak prints.
#include "tests/soak/ResourceSampler.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct PhaseFigures {
    std::string name;
    long ticks = 0;
    long good = 0;   // ticks that brought fresh values (ECU: a good fetch)
    long stale = 0;  // ticks whose values were drawn stale
    long wrong = 0;  // ticks that showed a value as live that was never sent
    // Ticks that showed a reply spoiled on the line to exactly the block's
    // length (noise in front, as many bytes lost at the end): without a
    // check byte no reader can tell it from a good block.
    long undetectable = 0;
    double longestGapSeconds = 0; // (simulated) time without a good fetch
    ProcessSample warm;           // after the warm-up
    ProcessSample end;
    long largestRssKiB = 0;
    uint64_t largestLogBytes = 0; // the debug log on disk
    long logRestarts = 0;         // times "filelog.txt" was seen to start again
    double seconds = 0;           // wall-clock time of the phase
    std::string events;           // what the line or the input went through
    bool completed = true;        // false: the phase ended before its count
};

struct SoakGoals {
    long rssGrowthKiB = 1024;
    uint64_t logLimit = 0; // the debug log's limit (0: trace off, nothing checked)
};

// One line per goal a phase missed; empty when it met them all.
std::vector<std::string> MissedGoals(const PhaseFigures& phase, const SoakGoals& goals);

void PrintSoakTable(FILE* out, const std::vector<PhaseFigures>& phases, const SoakGoals& goals);
