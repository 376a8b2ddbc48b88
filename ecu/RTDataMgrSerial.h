#pragma once
// The ECU input of the gauge update dispatcher. Its worker (EcuWorker, on a
// thread of its own) runs the protocol: each fetch that brings a good runtime
// data block is decoded there, every scalar output channel as
// (raw + Trans) x Scale, and published with its fetch time. A tick never
// waits on the line: it asks the worker for the next fetch (unless one is
// still running), takes the latest record, and answers names: scalar
// channels from the record, expression channels by evaluating their
// expression over it.
//
// In the dispatcher's map a name gets RTDataMgr::NoValue() when there is no
// value for it (an unknown name, a constant, no record yet). The values are
// stale when no record came for kStaleAfter. GetValue() keeps its old rules:
// names it cannot serve read -1.0.
//
// The worker and the names go through the input's one BlockDecoder: a
// channel that does not lie wholly inside the block (a fetched reply, or the
// process's runtime data block) gets no value.
//
// The values are doubtful while more than kDoubtfulPercent of the last 100
// replies were refused: such a line also lets through replies that no check
// can refuse. A record the worker withdraws is no longer served.
//
// Only what is in use is fetched, where the link can ask for parts of the
// block (GenericLink with %o and %c): the bytes of the names each tick asks
// for and of the expressions asked since the tick before (indicator lamps),
// or the whole block while one is wanted whole (a recording). A change
// reaches the link with the tick that makes it; a channel outside what was
// fetched gets no value.
//
// The worker fetches once per tick by default; on a Sampling of its own it
// fetches back to back or at a rate, and each tick takes every record
// fetched since the last one, in order (a listener sees each while the input
// holds it), the newest last.
//
// setTable() moves the input to another reading of the definition file
// (other settings) while the link stays connected, when that reading's link
// is the same.
//
// Without a protocol there is no worker: Update() decodes the process's
// runtime data block as it is (for decoding a recorded or typed-in block).
#include "base/ValueMap.h"
#include "dispatch/RTDataMgr.h"
#include "ecu/BlockDecoder.h"
#include "ecu/Sampling.h"
#include "link/EcuWorker.h"
#include "link/GenericLink.h"
#include "link/LinkState.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class SymbolTable;
class TarnProtocol;

class RTDataMgrSerial : public RTDataMgr {
public:
    using Clock = EcuWorker::Clock;
    using ClockFunction = EcuWorker::ClockFunction;
    static constexpr std::chrono::milliseconds kStaleAfter{1000};
    static constexpr int kDoubtfulPercent = 5;
    // The span over which getRecordRate() counts records.
    static constexpr std::chrono::milliseconds kRateWindow{2000};

    using Sampling = ::Sampling;

    // Neither is owned. `clock` tells fetch times and the age of a record
    // (steady_clock::now without one). The link is the protocol's own for the
    // built-in firmware's definition file (LinkSettings::isBuiltInFirmware),
    // otherwise the one the file describes (GenericLink), on the protocol's
    // port, with `options` (the line speed the user chose).
    RTDataMgrSerial(TarnProtocol* protocol, SymbolTable* table, ClockFunction clock = {},
                    const GenericLinkOptions& options = GenericLinkOptions(),
                    const Sampling& sampling = Sampling());
    RTDataMgrSerial(const RTDataMgrSerial&) = delete;
    RTDataMgrSerial& operator=(const RTDataMgrSerial&) = delete;
    ~RTDataMgrSerial() override;

    // requestFetch() (once per tick only), then fillValueMap().
    void Update() override;
    double GetValue(const wxString& name) override;
    bool HasValue(const wxString&) override { return true; }
    int GetKind() override { return KindSerial; }
    bool IsStale() override;
    bool IsDoubtful() override { return getRefusedPercent() > kDoubtfulPercent; }
    // Over the record the last tick took, as an expression channel's.
    double ExpressionValue(const wxString& expression) override;

    // Asks the worker for one fetch; false while one is still running.
    bool requestFetch();
    // Waits for the fetch asked for; its result (0 success).
    int waitForFetch();
    // Takes the records fetched since the last call and writes the value of
    // every name of the dispatcher's map from the newest.
    void fillValueMap();
    // Called for each record taken, oldest first, while the record accessors
    // below tell that record.
    void setRecordListener(std::function<void()> listener) { recordListener = std::move(listener); }

    // Whether the worker fetches without ticks (and faster than `period`).
    bool samplesOnItsOwn() const { return worker && worker->fetchesOnItsOwn(); }
    bool samplesFasterThan(std::chrono::milliseconds period) const;
    // Records per second taken over the last kRateWindow.
    double getRecordRate();
    // Fetches that failed, and records the worker dropped because nobody
    // took them in time, since the start.
    uint64_t getFailedFetches() const { return worker ? worker->failedFetches() : 0; }
    uint64_t getDroppedRecords() const { return worker ? worker->droppedRecords() : 0; }
    // Ends the worker (within a fraction of a second, even mid-wait).
    void stop();

    // The channels in use: those `names` and `expressions` are computed
    // from. Update() sets them from its tick by itself.
    void setNeededChannels(std::vector<wxString> names, std::vector<wxString> expressions);
    // While set, every fetch brings the whole block.
    void setWholeBlock(bool whole);
    // The parts of the block asked for now (merged); empty: the whole block.
    const ByteRanges& getWantedRanges() const { return wantedRanges; }

    // The link's pages of constants (0: it reads none), and a new reading of them.
    int pageCount() const { return worker ? worker->pageCount() : 0; }
    // Why the file's pages cannot be read; empty when they can, or when the
    // link reads none (the built-in firmware's).
    const std::string& getPageProblem() const { return pageProblem; }
    void requestPages();
    // The pages of a round of reads that ended since the last call; null when none did.
    std::shared_ptr<const EcuWorker::Pages> takePages();
    // The pages of the last round ended, taken or not; null before one ended.
    std::shared_ptr<const EcuWorker::Pages> latestPages() const { return worker ? worker->latestPages() : nullptr; }
    // Serves the table's constants anew after their values changed.
    void refreshConstants() { decoder->refreshConstants(); }

    // Decodes with `table` (not owned) from now on, keeping the link and its
    // worker; false, with nothing changed, without a worker or when the
    // table's link differs. The records fetched and not yet taken are taken
    // first (the listener sees them) with the table they were decoded with,
    // which must still exist; after that no value of it is served, and the
    // names have none until the next record.
    bool setTable(SymbolTable* table);

    // Decodes the process's runtime data block into the scalar values.
    void fillScalarValues();

    // What the last finished fetch returned (0 success; see TarnProtocol).
    int getLastFetchResult() const;
    LinkState getLinkState() const;
    // Of the last 100 replies, the share the link refused, in whole percent.
    int getRefusedPercent() const { return worker ? worker->refusedPercent() : 0; }
    // The plain channels of the record the last tick took; without a worker,
    // the values decoded from the process's block.
    const ValueMap& getScalarValues() const { return record ? record->values : decoder->values(); }

    // The record the last tick took: its number (0 before the first one; a
    // new number is a fresh record) and when it was fetched.
    uint64_t getRecordSequence() const { return record ? record->sequence : 0; }
    Clock::time_point getRecordTime() const { return record ? record->fetchedAt : Clock::time_point(); }
    // The value of `name` in that record, as a tick serves it, without any
    // trace (its own or the evaluator's); NoValue() when it has none.
    double recordValue(const wxString& name);

private:
    // The value of `name` for the dispatcher's map; false when there is none.
    bool serve(const wxString& name, double& value, bool traced = true);
    void takeLatest();
    void takeRecord(std::shared_ptr<const EcuWorker::Record> fresh);
    std::function<double()> timeSource();
    // What the worker runs after each good fetch.
    EcuWorker::Decoder decodingBy(std::shared_ptr<const BlockDecoder> blockDecoder) const;
    // Hands the link the parts that the channels in use need.
    void askForNeeded();

    TarnProtocol* protocol;
    SymbolTable* symbolTable;
    // Decodes on the worker's thread, serves names on the caller's; shared
    // with the worker, which may still finish a block with the one setTable() replaced.
    std::shared_ptr<BlockDecoder> decoder;
    // What the link was set up from.
    LinkSettings linkSettings;
    int32_t blockSize = 0;
    ClockFunction clock;
    Clock::time_point started;
    Sampling sampling;
    std::function<void()> recordListener;
    std::deque<Clock::time_point> recentFetches; // within kRateWindow
    Clock::time_point firstFetch;
    std::shared_ptr<const EcuWorker::Record> record;
    std::shared_ptr<const EcuWorker::Pages> pages;
    std::string pageProblem;
    // The link when it is a GenericLink (owned by the worker); null otherwise.
    GenericLink* partLink = nullptr;
    std::vector<wxString> neededNames;       // sorted
    std::vector<wxString> neededExpressions; // sorted
    std::vector<wxString> expressionsAsked;  // since the last Update()
    bool wholeBlock = false;
    ByteRanges wantedRanges;
    std::unique_ptr<EcuWorker> worker; // last: stopped before the rest goes
};
