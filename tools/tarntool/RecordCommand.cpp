// tarntool record FILE --out LOG.msl [--seconds N] [--rate HZ] [--baud N] [--verbose]
// [--set NAME]... [--tune FILE.msq]: logs the ECU on the dashboard's serial
// port without a display, through the dashboard's own ECU input and its
// recording: every record fetched, each with its own fetch time, in the
// dashboard's log format, into the new file LOG.msl (an existing one is not
// replaced). The worker fetches back to back for another firmware's file,
// once per 300 ms for the built-in firmware's, or HZ times a second. Ends
// after N seconds (none: at SIGINT or SIGTERM) and prints one line:
//
//   750 records, 9.87 s, 76.0 records/s, 0 failed fetches
//
// the seconds from the first record's fetch to the end (what the log spans:
// opening the port, a board's start-up and the first answer are not in it),
// and the records per second over them.
// Exit 0 when the log holds at least one record and was written to the end,
// 1 otherwise, 2 on misuse, an unreadable FILE or a LOG.msl it cannot create.
#include "tools/tarntool/Command.h"
#include "tools/tarntool/DefinitionJson.h"
#include "tools/tarntool/LiveEcuOptions.h"

#include "datalog/LiveRecording.h"
#include "ecu/RTDataMgrSerial.h"
#include "link/TarnProtocol.h"

#include <wx/filename.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// How often the records are taken from the worker; its queue holds far more.
constexpr std::chrono::milliseconds kTakeEvery{50};
// The built-in firmware's one fetch per dashboard tick.
constexpr double kBuiltInRate = 1000.0 / 300.0;

std::atomic<bool> g_stopAsked{false};

extern "C" void AskStop(int)
{
    g_stopAsked = true;
}

int RunRecord(const CommandArgs& args)
{
    const ParsedArgs parsed = ParseArgs(args, {"out", "seconds", "rate", "baud", "set", "tune"}, {"verbose"});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() != 1)
        return UsageError("record needs FILE, the definition file");
    if (parsed.value("out").empty())
        return UsageError("record needs --out LOG.msl");
    long seconds = 0;
    if (parsed.has("seconds") && (!ParseCount(parsed.value("seconds"), 100000000L, seconds) || seconds == 0))
        return UsageError("--seconds needs a whole number of seconds above 0");
    LiveEcuOptions ecuOptions;
    std::string misuse;
    const std::unique_ptr<SymbolTable> table = LoadForLiveEcu(parsed, ecuOptions, misuse);
    if (!table)
        return UsageError(misuse);

    ToolLog log(parsed.has("verbose"));
    Sampling sampling;
    sampling.mode = Sampling::Rate;
    sampling.hz = kBuiltInRate;
    if (ecuOptions.rate)
        sampling.hz = *ecuOptions.rate;
    else if (!table->getLinkSettings().isBuiltInFirmware())
        sampling.mode = Sampling::Continuous;
    RTDataMgrSerial input(TarnProtocol::getInstance(), table.get(), {}, ecuOptions.link, sampling);

    LiveRecording recording;
    const wxString definitionName = wxFileName(wxString::FromUTF8(parsed.operands[0])).GetFullName();
    if (!recording.StartAt(wxString::FromUTF8(parsed.value("out")), definitionName, *table, 0,
                           [&input](const wxString& name) { return input.recordValue(name); }))
        return UsageError(ToUtf8(recording.GetError()));
    bool took = false;
    std::optional<Clock::time_point> firstRecord;
    input.setRecordListener([&] {
        took = true;
        if (!firstRecord)
            firstRecord = input.getRecordTime();
        const double fetched =
            std::chrono::duration<double>(input.getRecordTime().time_since_epoch()).count();
        recording.Add(input.getRecordSequence(), fetched, input.getScalarValues());
    });

    g_stopAsked = false;
    std::signal(SIGINT, AskStop);
    std::signal(SIGTERM, AskStop);
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + std::chrono::seconds(seconds);
    input.requestFetch();
    while (!g_stopAsked && recording.IsRecording() && (seconds == 0 || Clock::now() < end)) {
        std::this_thread::sleep_for(kTakeEvery);
        took = false;
        input.fillValueMap();
        if (!took)
            recording.Flush();
        wxLog::FlushActive();
    }
    const Clock::time_point stopped = Clock::now();
    input.stop();
    input.fillValueMap(); // the records of the last fetches
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    recording.Stop();
    const uint64_t records = recording.GetRecordCount();
    const double ran = firstRecord ? std::chrono::duration<double>(stopped - *firstRecord).count() : 0.0;
    std::printf("%llu records, %.2f s, %.1f records/s, %llu failed fetches\n",
                static_cast<unsigned long long>(records), ran, ran > 0 ? records / ran : 0.0,
                static_cast<unsigned long long>(input.getFailedFetches()));
    std::fflush(stdout);
    if (!recording.GetError().empty())
        std::fprintf(stderr, "tarntool: %s\n", ToUtf8(recording.GetError()).c_str());
    if (input.getDroppedRecords() > 0)
        std::fprintf(stderr, "tarntool: %llu records dropped: taken too late\n",
                     static_cast<unsigned long long>(input.getDroppedRecords()));
    return records > 0 && recording.GetError().empty() ? 0 : 1;
}

} // namespace

TARNTOOL_COMMAND("record",
                 "FILE --out LOG.msl [--seconds N] [--rate HZ] [--baud N] [--verbose] [--set NAME]... "
                 "[--tune FILE.msq]",
                 RunRecord);
