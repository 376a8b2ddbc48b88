#include "tests/soak/PtySoak.h"

#include "dispatch/GaugeUpdater.h"
#include "ecu/RTDataMgrSerial.h"
#include "link/TarnProtocol.h"
#include "tests/support/SimProcess.h"
#include "tests/soak/SoakGauge.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// The record of tests/ecu/fixtures/one-record.log, as the gauges show it.
struct Truth {
    const char* name;
    double value;
};
const Truth kTruth[] = {{"rpm", 3000}, {"map", 101.3}, {"spark", -5.5}, {"lambda", 1.0}};

bool ShowsTruth(const SoakGauge& gauge)
{
    if (std::isnan(gauge.value))
        return true; // nothing shown
    for (const Truth& truth : kTruth)
        if (gauge.name == truth.name)
            return std::fabs(gauge.value - truth.value) <=
                   1e-6 * std::fmax(1, std::fabs(truth.value));
    return true;
}

} // namespace

PhaseFigures RunPtySoak(const SymbolTable& table, const PtySoakPlan& plan,
                        const std::string& logFolder)
{
    using Clock = std::chrono::steady_clock;
    const auto wallStart = Clock::now();
    PhaseFigures figures;
    figures.name = "ECU on a pty, hang-ups";
    SimProcess sim({"--ini", TARN_SAMPLE_DIR "/tarnv3.ini", "--datalog",
                    TARN_TEST_DATA_DIR "/ecu/fixtures/one-record.log", "--hangup-after", "2"});
    if (!sim.ok()) {
        figures.events = "the simulator did not start: " + SimProcess::binary();
        figures.completed = false;
        return figures;
    }
    SerialPortHandler port;
    TarnProtocol protocol(&port);
    SymbolTable* symbols = const_cast<SymbolTable*>(&table); // only read
    GaugeUpdater dispatcher;
    std::vector<std::unique_ptr<SoakGauge>> gauges;
    for (const Truth& truth : kTruth) {
        gauges.emplace_back(new SoakGauge(truth.name));
        dispatcher.AddGauge(gauges.back().get());
    }
    std::unique_ptr<RTDataMgrSerial> input;
    const auto chooseEcu = [&] {
        std::unique_ptr<RTDataMgrSerial> old = std::move(input);
        input.reset(new RTDataMgrSerial(&protocol, symbols));
        dispatcher.SetInput(input.get());
        old.reset();
    };
    chooseEcu();

    ResourceSampler sampler(logFolder);
    // After a first good fetch at least: the worker and its port exist from then on.
    const long warmUpAt =
        std::max(1L, static_cast<long>(plan.warmUpShare * static_cast<double>(plan.cycles)));
    auto lastGood = Clock::now();
    const auto deadline = wallStart + std::chrono::seconds(plan.limitSeconds);
    long goodAtLastChoice = 0;
    for (long tick = 0; figures.good < plan.cycles && Clock::now() < deadline; ++tick) {
        if (!sampler.isWarm() && figures.good >= warmUpAt)
            sampler.warmedUp();
        if (tick % plan.sampleEvery == 0)
            sampler.sample();
        if (figures.good - goodAtLastChoice >= plan.newInputEvery) {
            goodAtLastChoice = figures.good;
            chooseEcu();
        }
        dispatcher.Update();
        const bool stale = gauges.front()->stale;
        figures.stale += stale;
        bool right = true;
        for (const auto& gauge : gauges)
            right = right && (stale || ShowsTruth(*gauge));
        figures.wrong += !right;
        if (input->waitForFetch() == 0) {
            ++figures.good;
            const auto now = Clock::now();
            figures.longestGapSeconds = std::fmax(
                figures.longestGapSeconds, std::chrono::duration<double>(now - lastGood).count());
            lastGood = now;
        }
        ++figures.ticks;
    }
    sampler.finish();
    input.reset();

    figures.warm = sampler.atWarmUp();
    figures.end = sampler.atEnd();
    figures.largestRssKiB = sampler.largestRssKiB();
    figures.largestLogBytes = sampler.largestLogBytes();
    figures.logRestarts = sampler.logRestartsSeen();
    figures.seconds = std::chrono::duration<double>(Clock::now() - wallStart).count();
    const int hangups = sim.logCount("hang-up of");
    figures.events = std::to_string(hangups) + " hang-ups of the simulator's terminal in real time";
    figures.completed = figures.good >= plan.cycles;
    return figures;
}
