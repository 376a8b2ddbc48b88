#include "tests/soak/EcuSoak.h"

#include "definition/SymbolTable.h"
#include "dispatch/GaugeUpdater.h"
#include "ecu/BlockDecoder.h"
#include "ecu/RTDataMgrSerial.h"
#include "link/TarnProtocol.h"
#include "tests/soak/SentBlocks.h"
#include "tests/soak/SimulatedLine.h"
#include "tests/soak/SoakGauge.h"
#include "tools/tarn-ecu-sim/EngineModel.h"
#include "tools/tarn-ecu-sim/RuntimeBlock.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTick = std::chrono::milliseconds(300);
constexpr size_t kBlockLength = 56;

// The input's and the firmware's time: moved on by the ticks only.
class SimulatedTime {
public:
    Clock::time_point now() const { return Clock::time_point(Clock::duration(ticks.load())); }
    void advance(Clock::duration by) { ticks += by.count(); }
    double seconds() const { return std::chrono::duration<double>(now() - start).count(); }

private:
    // Far from the clock's zero, so that "a second ago" is a valid time too.
    const Clock::time_point start = Clock::time_point(std::chrono::hours(1));
    std::atomic<Clock::rep> ticks{start.time_since_epoch().count()};
};

// The simulator's engine, at the simulated time.
class SimulatedEngine : public ValueSource {
public:
    explicit SimulatedEngine(const SimulatedTime& simulatedTime) : time(simulatedTime) {}
    void advance() override { model.setTime(time.seconds()); }
    bool value(const wxString& lowerName, double& out) const override
    {
        return model.value(lowerName, out);
    }

private:
    const SimulatedTime& time;
    EngineModel model;
};

// The first few, for whoever looks into a failed soak.
void ReportWrongTick(long tick, const ValueMap& shown)
{
    static int reported = 0;
    if (++reported > 5)
        return;
    std::fprintf(stderr, "tick %ld showed as live:", tick);
    for (const auto& entry : shown)
        std::fprintf(stderr, " %s=%g", static_cast<const char*>(entry.first.utf8_str()),
                     entry.second);
    std::fputc('\n', stderr);
}

} // namespace

PhaseFigures RunEcuSoak(const SymbolTable& table, const EcuSoakPlan& plan,
                        const std::string& logFolder)
{
    const auto wallStart = std::chrono::steady_clock::now();
    SimulatedTime time;
    SimulatedEngine engine(time);
    RuntimeBlock blocks(LayoutFromTable(table, kBlockLength), kBlockLength, engine);
    SentBlocks sent;
    SentBlocks spoiled; // runtime data replies spoiled to the block's length
    EcuFirmware firmware(EcuMode::Run, [&] {
        const std::string block = blocks.next();
        sent.add(block, time.now());
        return block;
    });
    FaultInjector faults(plan.faults, plan.seed);
    SimulatedLine line(firmware, faults);
    line.setHangups(plan.answersPerPlug, plan.maxFailedOpens, plan.seed + 1);
    line.watchSpoiledBlocks(
        [&](const std::string& delivered) { spoiled.add(delivered, time.now()); });
    SerialPortHandler port([&line] { return line.newDevice(); }, 0);
    TarnProtocol protocol(&port);
    BlockDecoder truth(&table);

    GaugeUpdater dispatcher;
    std::vector<std::unique_ptr<SoakGauge>> gauges;
    for (const char* name : kSoakGaugeNames) {
        gauges.emplace_back(new SoakGauge(name));
        dispatcher.AddGauge(gauges.back().get());
    }
    // The table is only read; the input wants it non-const as the dashboard's.
    SymbolTable* symbols = const_cast<SymbolTable*>(&table);
    const auto clock = [&time] { return time.now(); };
    std::unique_ptr<RTDataMgrSerial> input;
    const auto chooseEcu = [&] {
        // As the dashboard does: the new input in place first, then the old one ends.
        std::unique_ptr<RTDataMgrSerial> old = std::move(input);
        input.reset(new RTDataMgrSerial(&protocol, symbols, clock));
        dispatcher.SetInput(input.get());
        old.reset();
    };
    chooseEcu();

    PhaseFigures figures;
    figures.name = plan.name;
    ResourceSampler sampler(logFolder);
    const long total = plan.ticks > 0 ? plan.ticks : plan.hangups;
    const long warmUpAt = static_cast<long>(plan.warmUpShare * static_cast<double>(total));
    Clock::time_point lastGood = time.now();
    long hangupsAtLastChoice = 0;
    ValueMap shown;
    for (long tick = 0;; ++tick) {
        const long hangups = line.counts().hangups;
        const long progress = plan.ticks > 0 ? tick : hangups;
        // A line that stopped hanging up must not keep the run going for ever.
        if (progress >= total || (plan.ticks == 0 && tick >= 100 * plan.hangups))
            break;
        if (!sampler.isWarm() && progress >= warmUpAt)
            sampler.warmedUp();
        if (tick % plan.sampleEvery == 0)
            sampler.sample();
        if (plan.newInputEvery > 0 && hangups - hangupsAtLastChoice >= plan.newInputEvery) {
            hangupsAtLastChoice = hangups;
            chooseEcu();
        }

        time.advance(kTick);
        dispatcher.Update();
        const bool stale = gauges.front()->stale;
        shown.clear();
        if (!stale)
            for (const auto& gauge : gauges)
                shown[gauge->name] = gauge->value;
        // The firmware adds blocks on the worker's thread: the check waits
        // for the fetch the tick started. The next tick finds the line at
        // rest, so that every run repeats.
        if (input->waitForFetch() == 0) {
            ++figures.good;
            lastGood = time.now();
        }
        figures.stale += stale;
        const auto liveSince = time.now() - RTDataMgrSerial::kStaleAfter;
        if (!stale && !sent.explains(shown, liveSince, truth)) {
            if (spoiled.explains(shown, liveSince, truth)) {
                ++figures.undetectable;
            } else {
                ++figures.wrong;
                ReportWrongTick(tick, shown);
            }
        }
        const double gap = std::chrono::duration<double>(time.now() - lastGood).count();
        if (gap > figures.longestGapSeconds)
            figures.longestGapSeconds = gap;
        ++figures.ticks;
    }
    sampler.finish();
    input.reset();
    figures.completed = plan.ticks > 0 || line.counts().hangups >= plan.hangups;

    figures.warm = sampler.atWarmUp();
    figures.end = sampler.atEnd();
    figures.largestRssKiB = sampler.largestRssKiB();
    figures.largestLogBytes = sampler.largestLogBytes();
    figures.logRestarts = sampler.logRestartsSeen();
    figures.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
    const SimulatedLine::Counts& c = line.counts();
    figures.events = std::to_string(sent.count()) + " blocks sent, " + std::to_string(c.answers) +
                     " answers (" + std::to_string(c.noisy) + " noisy, " +
                     std::to_string(c.shortened) + " short, " + std::to_string(c.lengthened) +
                     " long, " + std::to_string(c.stalled) + " stalled, " +
                     std::to_string(c.shifted) + " shifted), " +
                     std::to_string(c.dropped) + " dropped, " + std::to_string(c.hangups) +
                     " hang-ups, " + std::to_string(c.failedOpens) + " failed opens, " +
                     std::to_string(time.seconds() / 3600.0).substr(0, 5) + " h simulated";
    return figures;
}
