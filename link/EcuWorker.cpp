#include "link/EcuWorker.h"

#include "base/DebugLog.h"

#include <algorithm>
#include <string>

EcuWorker::EcuWorker(std::unique_ptr<EcuLink> ecuLink, Decoder decoder, ClockFunction clockFunction)
    : link(std::move(ecuLink)), decode(std::make_shared<const Decoder>(std::move(decoder))), clock(std::move(clockFunction)),
      pages(link ? link->pageCount() : 0)
{
    if (!clock)
        clock = [] { return Clock::now(); };
}

EcuWorker::~EcuWorker()
{
    stop();
}

void EcuWorker::fetchEvery(std::chrono::microseconds every)
{
    std::lock_guard<std::mutex> lock(mutex);
    scheduled = true;
    interval = every;
}

bool EcuWorker::requestFetch()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (stopping || (!scheduled && (asked || running)))
        return false;
    if (!scheduled)
        asked = true;
    // Started at the first request, not at construction: the input that this
    // one replaces has stopped its worker on the same port by then.
    if (!thread.joinable())
        thread = std::thread([this] { run(); });
    changed.notify_all();
    return true;
}

int EcuWorker::waitForFetch()
{
    std::unique_lock<std::mutex> lock(mutex);
    if (scheduled) {
        const uint64_t seen = fetchesEnded;
        changed.wait(lock, [&] { return stopping || fetchesEnded > seen; });
    } else {
        changed.wait(lock, [this] { return stopping || (!asked && !running); });
    }
    return result.load();
}

void EcuWorker::stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (stopping && !thread.joinable())
            return;
        stopping = true;
        changed.notify_all();
    }
    link->interrupt();
    if (thread.joinable())
        thread.join();
    // The port outlives this worker; the next one must find it usable.
    link->resume();
}

void EcuWorker::requestPages()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (pages == 0 || stopping)
        return;
    pagesAsked = true;
    if (!thread.joinable())
        thread = std::thread([this] { run(); });
    changed.notify_all();
}

std::vector<std::shared_ptr<const EcuWorker::Record>> EcuWorker::setDecoder(Decoder decoder)
{
    std::lock_guard<std::mutex> lock(mutex);
    decode = std::make_shared<const Decoder>(std::move(decoder));
    ++decoderSwaps;
    std::vector<std::shared_ptr<const Record>> taken(std::make_move_iterator(queue.begin()),
                                                     std::make_move_iterator(queue.end()));
    queue.clear();
    record.reset();
    earlier.reset();
    return taken;
}

std::shared_ptr<const EcuWorker::Pages> EcuWorker::latestPages() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return pagesRead;
}

std::shared_ptr<const EcuWorker::Pages> EcuWorker::waitForPages(uint64_t after)
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return stopping || (pagesRead && pagesRead->sequence > after); });
    return pagesRead && pagesRead->sequence > after ? pagesRead : nullptr;
}

std::shared_ptr<const EcuWorker::Record> EcuWorker::latest() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return record;
}

std::vector<std::shared_ptr<const EcuWorker::Record>> EcuWorker::takeRecords()
{
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<std::shared_ptr<const Record>> taken(std::make_move_iterator(queue.begin()),
                                                     std::make_move_iterator(queue.end()));
    queue.clear();
    return taken;
}

uint64_t EcuWorker::droppedRecords() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return dropped;
}

uint64_t EcuWorker::failedFetches() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return failed;
}


bool EcuWorker::fetchDueLocked(Clock::time_point now) const
{
    return asked || (scheduled && now >= nextStart);
}

LinkState EcuWorker::linkState() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return state;
}

bool EcuWorker::isBusy() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return asked || running;
}

void EcuWorker::report(const LinkState& newState)
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (state == newState)
            return;
        // Connected anew: the ECU may have been changed or tuned meanwhile.
        if (newState.kind == LinkState::Connected && state.kind != LinkState::Connected && pages > 0)
            pagesAsked = true;
        state = newState;
    }
    DebugLog(newState.kind == LinkState::Connected ? 0 : 1,
             wxString::FromUTF8("Link state: " + newState.describe()));
}

void EcuWorker::run()
{
    link->resume();
    // On a schedule, fetches and the pages of a round take turns: neither
    // waits for the other to finish.
    bool pageTurn = false;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            const auto ready = [this] {
                return stopping || pagesAsked || nextPage >= 0 || fetchDueLocked(Clock::now());
            };
            while (!ready()) {
                if (scheduled)
                    changed.wait_until(lock, nextStart);
                else
                    changed.wait(lock);
            }
            if (stopping)
                break;
            const bool pagesPending = pagesAsked || nextPage >= 0;
            if (!fetchDueLocked(Clock::now()) || (scheduled && pagesPending && pageTurn)) {
                pageTurn = false;
                // A new round starts over; the pages read so far stay.
                if (pagesAsked) {
                    pagesAsked = false;
                    nextPage = 0;
                    roundStarted = std::chrono::steady_clock::now();
                    round = std::make_shared<Pages>();
                    round->bytes = pagesRead ? pagesRead->bytes
                                             : std::vector<std::vector<unsigned char>>(size_t(pages));
                }
                lock.unlock();
                readNextPage();
                continue;
            }
            pageTurn = true;
            startFetchLocked();
        }
        runFetch();
    }
    std::lock_guard<std::mutex> lock(mutex);
    running = false;
    changed.notify_all();
}

void EcuWorker::startFetchLocked()
{
    asked = false;
    running = true;
    // Late by more than an interval (a slow ECU): the next one now, no backlog.
    if (scheduled)
        nextStart = std::max(nextStart + interval, Clock::now());
}

void EcuWorker::runFetch()
{
    const int fetched = link->fetch(block, [this](const LinkState& linkState) { report(linkState); });
    // Bytes that came after the block before this fetch's request.
    const bool withdrawnMeanwhile = link->previousWithdrawn();
    if (withdrawnMeanwhile)
        DebugLog(1, "The last record is withdrawn: bytes came after it");
    std::shared_ptr<Record> fresh;
    const Clock::time_point fetchedAt = fetched == 0 ? clock() : Clock::time_point();
    // Declared before the lock: a decoder swapped out meanwhile ends after it.
    std::shared_ptr<const Decoder> decoder;
    std::unique_lock<std::mutex> lock(mutex);
    // Decoded outside the lock, and again when the decoder was swapped meanwhile.
    for (uint64_t decodedBy = decoderSwaps + 1; fetched == 0 && decodedBy != decoderSwaps;) {
        decodedBy = decoderSwaps;
        decoder = decode;
        lock.unlock();
        fresh = std::make_shared<Record>();
        fresh->fetchedAt = fetchedAt;
        if (*decoder)
            (*decoder)(block, fresh->values);
        lock.lock();
    }
    if (withdrawnMeanwhile)
        withdrawLocked(lastFetched);
    for (int i = link->refusedReplies(); i > 0; --i)
        tally.refused();
    result = fetched;
    lastFetched = 0;
    ++fetchesEnded;
    if (fetched != 0)
        ++failed;
    if (fresh) {
        tally.taken();
        fresh->sequence = ++sequence;
        lastFetched = fresh->sequence;
        if (queue.size() >= kQueueLimit) {
            queue.pop_front();
            ++dropped;
        }
        queue.push_back(fresh);
        earlier = std::move(record);
        record = std::move(fresh);
    }
    running = false;
    changed.notify_all();
}

void EcuWorker::withdrawLocked(uint64_t withdrawn)
{
    if (withdrawn == 0)
        return;
    tally.withdrawn();
    if (withdrawn == lastFetched)
        lastFetched = 0;
    if (record && record->sequence == withdrawn) {
        record = std::move(earlier);
        earlier.reset();
    }
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [withdrawn](const std::shared_ptr<const Record>& queued) {
                                   return queued->sequence == withdrawn;
                               }),
                queue.end());
}

int EcuWorker::refusedPercent() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return tally.refusedPercent();
}

void EcuWorker::fetchIfAsked()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (stopping || !fetchDueLocked(Clock::now()))
            return;
        startFetchLocked();
    }
    runFetch();
}

void EcuWorker::readNextPage()
{
    const int index = nextPage;
    std::vector<unsigned char> bytes;
    std::string why;
    const int r = link->readPage(index, bytes, why, [this] { fetchIfAsked(); });
    if (r == 0) {
        round->bytes[size_t(index)].swap(bytes);
        ++round->readNow;
    } else if (round->problem.empty()) {
        round->problem = "page " + std::to_string(index + 1) + ": " + why;
    }
    if (r != 0)
        DebugLog(1, wxString::FromUTF8("Page " + std::to_string(index + 1) + " not read: " + why));
    ++nextPage;
    std::lock_guard<std::mutex> lock(mutex);
    // A refused reply spoils one page; a line that fails spoils the rest of the round.
    const bool lineDown = r != 0 && r != EcuLink::kReplyRefused;
    if (nextPage < pages && !lineDown && !stopping)
        return;
    if (nextPage < pages && round->problem.empty())
        round->problem = "stopped at page " + std::to_string(nextPage + 1);
    nextPage = -1;
    round->took = std::chrono::steady_clock::now() - roundStarted;
    round->sequence = ++pageRounds;
    pagesRead = std::move(round);
    changed.notify_all();
}
