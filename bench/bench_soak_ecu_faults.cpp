// Long runs of the ECU input (the path of `tarntool live`: each tick asks for
// one fetch and waits for it, ticks 300 ms apart) against the simulator with
// faults on the line, playing one record so that every true value is known:
// failed ticks, values that differ from the record (wrong values shown as
// good), and the longest time without a good value. Also many hang-up cycles
// (the adapter pulled after every fetch), with the process's descriptors,
// threads and memory before and after. Run once each (not repeated);
// TARN_SOAK_TICKS and TARN_SOAK_HANGUPS change the lengths.
#include "base/StderrTrace.h"
#include "definition/IniParser.h"
#include "definition/SymbolTable.h"
#include "ecu/RTDataMgrSerial.h"
#include "ecu/TarnProtocol.h"
#include "tests/support/SimProcess.h"

#include <benchmark/benchmark.h>
#include <wx/init.h>
#include <wx/log.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

const std::string kSampleIni = TARN_SAMPLE_DIR "/tarnv3.ini";
const std::string kOneRecord = TARN_SOURCE_DIR "/tests/ecu/fixtures/one-record.log";

class DiscardLog : public wxLog {
protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override {}
};

long EnvCount(const char* name, long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtol(text, nullptr, 10) : fallback;
}

struct Truth {
    const char* name;
    double value;
};
const Truth kTruth[] = {{"rpm", 3000}, {"map", 101.3}, {"coolant", 85.0}, {"spark", -5.5},
                        {"afr", 14.7}, {"lambda", 1.0}};

void RunFaults(benchmark::State& state, const std::vector<std::string>& faults)
{
    std::vector<std::string> options = {"--ini", kSampleIni, "--datalog", kOneRecord};
    options.insert(options.end(), faults.begin(), faults.end());
    SimProcess sim(options);
    std::unique_ptr<SymbolTable> table(
        loadDefinitionFileFrom(wxString::FromUTF8(kSampleIni), nullptr, nullptr));
    TarnProtocol protocol(SerialPortHandler::getInstance());
    RTDataMgrSerial input(&protocol, table.get());
    ValueMap values;
    input.setValueMap(&values);
    const long ticks = EnvCount("TARN_SOAK_TICKS", 300);
    long failed = 0, wrong = 0;
    double longestGap = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        auto lastGood = start;
        for (long tick = 0; tick < ticks; ++tick) {
            std::this_thread::sleep_until(start + std::chrono::milliseconds(300 * tick));
            values.clear();
            for (const Truth& t : kTruth)
                values[t.name] = 0;
            input.requestFetch();
            const int result = input.waitForFetch();
            input.fillValueMap();
            wxLog::FlushActive();
            if (result != 0) {
                ++failed;
            } else {
                longestGap = std::max(longestGap, Ms(Clock::now() - lastGood).count());
                lastGood = Clock::now();
            }
            bool tickWrong = false;
            for (const Truth& t : kTruth) {
                const double v = values[t.name];
                if (!RTDataMgr::IsNoValue(v) && std::fabs(v - t.value) > 1e-6)
                    tickWrong = true;
            }
            wrong += tickWrong;
        }
        state.SetIterationTime(Ms(Clock::now() - start).count() / 1e3);
    }
    state.counters["ticks"] = static_cast<double>(ticks);
    state.counters["failed_pct"] = 100.0 * failed / ticks;
    state.counters["wrong_ticks"] = static_cast<double>(wrong);
    state.counters["longest_gap_ms"] = longestGap;
    state.counters["faults_logged"] = sim.logCount("fault:");
}

void BM_NoiseDropHangup_Seed1(benchmark::State& state)
{
    RunFaults(state, {"--noise", "0.05", "--drop", "0.05", "--hangup-after", "50", "--seed", "1"});
}
BENCHMARK(BM_NoiseDropHangup_Seed1)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void BM_Noise03_Seed11(benchmark::State& state)
{
    RunFaults(state, {"--noise", "0.3", "--seed", "11"});
}
BENCHMARK(BM_Noise03_Seed11)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

void BM_StallShortLong_Seed2(benchmark::State& state)
{
    RunFaults(state, {"--stall", "30", "--stall-rate", "0.1", "--short", "0.05", "--long", "0.05",
                      "--seed", "2"});
}
BENCHMARK(BM_StallShortLong_Seed2)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

long OpenDescriptors()
{
    long n = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++n;
        closedir(dir);
    }
    return n - 3; // ".", ".." and the directory's own descriptor
}

long StatusField(const std::string& field)
{
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, field.size() + 1, field + ":") == 0)
            return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
    return -1;
}

void BM_HangupCycles(benchmark::State& state)
{
    // Two answers per cycle: the running signature that identifies the ECU
    // on the new terminal, then the runtime data.
    SimProcess sim({"--ini", kSampleIni, "--datalog", kOneRecord, "--hangup-after", "2"});
    std::unique_ptr<SymbolTable> table(
        loadDefinitionFileFrom(wxString::FromUTF8(kSampleIni), nullptr, nullptr));
    TarnProtocol protocol(SerialPortHandler::getInstance());
    const long cycles = EnvCount("TARN_SOAK_HANGUPS", 1000);
    long good = 0;
    long fdsAt10 = 0, threadsAt10 = 0, rssAt10 = 0;
    double longestGap = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        auto lastGood = start;
        // A fresh input now and then, as a user choosing ECU again would make.
        std::unique_ptr<RTDataMgrSerial> input;
        ValueMap values;
        while (good < cycles) {
            if (!input || good % 100 == 0) {
                input.reset(new RTDataMgrSerial(&protocol, table.get()));
                input->setValueMap(&values);
            }
            values.clear();
            values["rpm"] = 0;
            input->requestFetch();
            if (input->waitForFetch() == 0) {
                ++good;
                longestGap = std::max(longestGap, Ms(Clock::now() - lastGood).count());
                lastGood = Clock::now();
            }
            input->fillValueMap();
            wxLog::FlushActive();
            if (good == 10 && fdsAt10 == 0) {
                fdsAt10 = OpenDescriptors();
                threadsAt10 = StatusField("Threads");
                rssAt10 = StatusField("VmRSS");
            }
            if (Clock::now() - start > std::chrono::minutes(30))
                break;
        }
        state.SetIterationTime(Ms(Clock::now() - start).count() / 1e3);
    }
    state.counters["good_fetches"] = static_cast<double>(good);
    state.counters["hangups"] = sim.logCount("hang-up of");
    state.counters["fds_at_10"] = static_cast<double>(fdsAt10);
    state.counters["fds_at_end"] = static_cast<double>(OpenDescriptors());
    state.counters["threads_at_10"] = static_cast<double>(threadsAt10);
    state.counters["threads_at_end"] = static_cast<double>(StatusField("Threads"));
    state.counters["rss_kb_at_10"] = static_cast<double>(rssAt10);
    state.counters["rss_kb_at_end"] = static_cast<double>(StatusField("VmRSS"));
    state.counters["longest_gap_ms"] = longestGap;
}
BENCHMARK(BM_HangupCycles)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    wxInitializer initializer;
    if (!initializer.IsOk())
        return 2;
    delete wxLog::SetActiveTarget(new DiscardLog);
    RouteStderrTraces({nullptr, false});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
