#pragma once
// Runs an ECU link on a thread of its own, so that no caller ever waits on
// the serial line. Each requestFetch() asks for one fetch, or, once
// fetchEvery() was called, the worker fetches on its own schedule: back to
// back, or one fetch per interval. A fetch that takes longer than the
// interval starts the next one at once, never a backlog of them. The worker
// decodes a good block into values and publishes them, with the time they
// were fetched, as the latest record, and queues every record for
// takeRecords(). The link's state changes are kept for the caller and
// written to the debug log. The link reopens its port by itself, so the
// worker reconnects by simply going on fetching.
//
// Whenever the link comes to Connected (the first time, and after every
// failure), and on requestPages(), the worker reads the link's pages of
// constants one by one, running any fetch asked meanwhile between two parts
// of a page, then publishes them all. A page that fails keeps its earlier bytes.
//
// setDecoder() swaps the decoding while the link stays connected: no record
// decoded the old way is published after it returns.
//
// A block the link withdraws (bytes came after it, before the next request)
// stops being the latest record: the one before it is served again, and goes
// stale as usual. The worker keeps a tally of the last 100 replies and how
// many the link refused.
//
// stop() (also run by the destructor) interrupts a fetch in progress, even in
// the middle of a wait, and returns once the thread has ended.
#include "base/ValueMap.h"
#include "link/EcuLink.h"
#include "link/ReplyTally.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class EcuWorker {
public:
    using Clock = std::chrono::steady_clock;
    using ClockFunction = std::function<Clock::time_point()>;
    // Turns a good block into values; runs on the worker's thread.
    using Decoder = std::function<void(const std::vector<unsigned char>& block, ValueMap& values)>;

    struct Record {
        ValueMap values;
        Clock::time_point fetchedAt;
        uint64_t sequence = 0; // 1 for the first record, then counting up
    };

    struct Pages {
        // Per page its last good bytes; empty when never read.
        std::vector<std::vector<unsigned char>> bytes;
        int readNow = 0;     // pages read in the round that published this
        std::string problem; // the first page that failed in that round and why; empty: none
        uint64_t sequence = 0;
        std::chrono::steady_clock::duration took{}; // the round, fetches between its parts included
    };

    // `clock` tells the fetch times (steady_clock::now without one). The link
    // is owned; it is used on the worker's thread only, apart from interrupt().
    EcuWorker(std::unique_ptr<EcuLink> link, Decoder decoder, ClockFunction clock = {});
    EcuWorker(const EcuWorker&) = delete;
    EcuWorker& operator=(const EcuWorker&) = delete;
    ~EcuWorker();

    // Records kept for takeRecords() at most; older ones are dropped first.
    static constexpr size_t kQueueLimit = 1024;

    // Fetches on the worker's own schedule from the first requestFetch() on:
    // one fetch started per `interval`, back to back for zero. Call before
    // the first requestFetch().
    void fetchEvery(std::chrono::microseconds interval);
    bool fetchesOnItsOwn() const { return scheduled; }

    // Asks for one fetch; false (and nothing asked) while one is asked or
    // running. On its own schedule: starts the worker, asks nothing more.
    bool requestFetch();
    // Blocks until no fetch is asked or running (on its own schedule: until
    // the next fetch ended); the last fetch's result (0 success, a negative
    // code of the link otherwise).
    int waitForFetch();
    void stop();

    // Decodes with `decoder` from now on. Hands back the records published
    // and not yet taken, oldest first, and serves none of them again
    // (latest() is null until the next good fetch); a block decoded the old
    // way meanwhile is decoded again with `decoder`.
    std::vector<std::shared_ptr<const Record>> setDecoder(Decoder decoder);

    // Asks for the pages to be read again (nothing when the link has none).
    void requestPages();
    // The pages of the last round ended, or null before one ended.
    std::shared_ptr<const Pages> latestPages() const;
    // Blocks until a round newer than the one numbered `after` ended (or the
    // worker stops); that round's pages, or null when stopped first.
    std::shared_ptr<const Pages> waitForPages(uint64_t after);
    // The link's pages (0: it reads none).
    int pageCount() const { return pages; }

    // The latest record, or null before the first good fetch.
    std::shared_ptr<const Record> latest() const;
    // The records published since the last call, oldest first.
    std::vector<std::shared_ptr<const Record>> takeRecords();
    // Records dropped from the full queue, and fetches that failed, so far.
    uint64_t droppedRecords() const;
    uint64_t failedFetches() const;
    LinkState linkState() const;
    int lastResult() const { return result.load(); }
    // Of the last 100 replies, the share refused, in whole percent.
    int refusedPercent() const;
    bool isBusy() const;

private:
    void run();
    // Whether a fetch should start now: asked for, or due on the schedule.
    bool fetchDueLocked(Clock::time_point now) const;
    void startFetchLocked();
    // A published record is no longer served (the one before it is, if it
    // was the latest) or queued.
    void withdrawLocked(uint64_t sequence);
    void report(const LinkState& state);
    // Reads the next page of the round; publishes the round after its last.
    void readNextPage();
    // One fetch asked for, with `running` set; publishes a good record.
    void runFetch();
    // Between two parts of a page: the fetch asked meanwhile, if any.
    void fetchIfAsked();

    std::unique_ptr<EcuLink> link;
    // Under the mutex: the decoder and how many times it was swapped.
    std::shared_ptr<const Decoder> decode;
    uint64_t decoderSwaps = 0;
    ClockFunction clock;
    const int pages;
    // The round of page reads, the worker's own.
    int nextPage = -1; // -1: no round under way
    std::shared_ptr<Pages> round;
    std::chrono::steady_clock::time_point roundStarted;
    std::vector<unsigned char> block;

    mutable std::mutex mutex;
    std::condition_variable changed;
    bool asked = false;
    bool running = false;
    bool scheduled = false;
    std::chrono::microseconds interval{0};
    Clock::time_point nextStart; // of a scheduled fetch, on the real clock
    uint64_t fetchesEnded = 0;
    uint64_t failed = 0;
    std::deque<std::shared_ptr<const Record>> queue;
    uint64_t dropped = 0;
    bool stopping = false;
    std::shared_ptr<const Record> record;
    std::shared_ptr<const Record> earlier; // the one before `record`, served again if it is withdrawn
    uint64_t lastFetched = 0; // the record the last fetch published; 0 when it failed
    ReplyTally tally;
    std::shared_ptr<const Pages> pagesRead;
    bool pagesAsked = false;
    LinkState state;
    uint64_t sequence = 0;
    uint64_t pageRounds = 0;
    std::atomic<int> result{0};
    std::thread thread; // last: started after everything above exists
};
