#include "tests/soak/ReplaySoak.h"

#include "datalog/RTDataMgrFile.h"
#include "dispatch/GaugeUpdater.h"
#include "tests/soak/SoakGauge.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr size_t kGauges = sizeof kSoakGaugeNames / sizeof kSoakGaugeNames[0];

// Record i's fields, as written; each column runs through its own cycle, so
// that a record played twice or out of turn shows.
void FormatRecord(long i, char (&fields)[kGauges][32])
{
    std::snprintf(fields[0], sizeof fields[0], "%ld", 800 + (i * 37) % 6000);
    std::snprintf(fields[1], sizeof fields[1], "%.1f",
                  20 + static_cast<double>((i * 13) % 2000) / 10);
    std::snprintf(fields[2], sizeof fields[2], "%.1f",
                  -10 + static_cast<double>((i * 7) % 500) / 10);
    std::snprintf(fields[3], sizeof fields[3], "%.3f", 0.7 + static_cast<double>(i % 601) / 1000);
    std::snprintf(fields[4], sizeof fields[4], "%.2f", 1 + static_cast<double>(i % 499) / 100);
}

bool WriteLog(const std::string& path, long records)
{
    FILE* out = std::fopen(path.c_str(), "w");
    if (!out)
        return false;
    std::fprintf(out, "soak datalog\nTime\tRPM\tMAP\tSpark\tLambda\tDwell\n");
    char fields[kGauges][32];
    for (long i = 0; i < records; ++i) {
        FormatRecord(i, fields);
        std::fprintf(out, "%.1f", static_cast<double>(i) / 10);
        for (const auto& field : fields)
            std::fprintf(out, "\t%s", field);
        std::fputc('\n', out);
    }
    return std::fclose(out) == 0;
}

} // namespace

PhaseFigures RunReplaySoak(const ReplaySoakPlan& plan, const std::string& folder)
{
    const auto wallStart = std::chrono::steady_clock::now();
    PhaseFigures figures;
    figures.name = "File replay";
    const std::string path = folder + "/datalog.log";
    if (!WriteLog(path, plan.records)) {
        figures.events = "cannot write " + path;
        figures.completed = false;
        return figures;
    }

    GaugeUpdater dispatcher;
    std::vector<std::unique_ptr<SoakGauge>> gauges;
    for (const char* name : kSoakGaugeNames) {
        gauges.emplace_back(new SoakGauge(name));
        dispatcher.AddGauge(gauges.back().get());
    }
    std::unique_ptr<RTDataMgrFile> input;
    long inputs = 0;
    ResourceSampler sampler(folder);
    const long warmUpAt = static_cast<long>(plan.warmUpShare * static_cast<double>(plan.ticks));
    char fields[kGauges][32];
    long record = 0;
    for (long tick = 0; tick < plan.ticks; ++tick) {
        if (!sampler.isWarm() && tick >= warmUpAt)
            sampler.warmedUp();
        if (tick % plan.sampleEvery == 0)
            sampler.sample();
        if (!input || record == plan.records) {
            std::unique_ptr<RTDataMgrFile> old = std::move(input);
            input.reset(new RTDataMgrFile(wxString::FromUTF8(path)));
            dispatcher.SetInput(input.get());
            old.reset();
            record = 0;
            ++inputs;
        }
        dispatcher.Update();
        FormatRecord(record, fields);
        bool right = true;
        for (size_t g = 0; g < kGauges; ++g) {
            const double want = std::strtod(fields[g], nullptr);
            right = right &&
                    std::fabs(gauges[g]->value - want) <= 1e-9 * std::fmax(1, std::fabs(want));
        }
        figures.good += right;
        figures.wrong += !right;
        figures.stale += gauges.front()->stale;
        ++record;
        ++figures.ticks;
    }
    sampler.finish();
    input.reset();
    std::remove(path.c_str());

    figures.warm = sampler.atWarmUp();
    figures.end = sampler.atEnd();
    figures.largestRssKiB = sampler.largestRssKiB();
    figures.largestLogBytes = sampler.largestLogBytes();
    figures.logRestarts = sampler.logRestartsSeen();
    figures.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    figures.events = std::to_string(inputs) + " File inputs over a log of " +
                     std::to_string(plan.records) + " records";
    return figures;
}
