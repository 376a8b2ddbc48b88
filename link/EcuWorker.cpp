#include "link/EcuWorker.h"

#include "base/DebugLog.h"

EcuWorker::EcuWorker(std::unique_ptr<EcuLink> ecuLink, Decoder decoder, ClockFunction clockFunction)
    : link(std::move(ecuLink)), decode(std::move(decoder)), clock(std::move(clockFunction))
{
    if (!clock)
        clock = [] { return Clock::now(); };
}

EcuWorker::~EcuWorker()
{
    stop();
}

bool EcuWorker::requestFetch()
{
    std::lock_guard<std::mutex> lock(mutex);
    if (stopping || asked || running)
        return false;
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
    changed.wait(lock, [this] { return stopping || (!asked && !running); });
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

std::shared_ptr<const EcuWorker::Record> EcuWorker::latest() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return record;
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
        state = newState;
    }
    DebugLog(newState.kind == LinkState::Connected ? 0 : 1,
             wxString::FromUTF8("Link state: " + newState.describe()));
}

void EcuWorker::run()
{
    link->resume();
    std::vector<unsigned char> block;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return stopping || asked; });
            if (stopping)
                break;
            asked = false;
            running = true;
        }
        const int fetched =
            link->fetch(block, [this](const LinkState& linkState) { report(linkState); });
        std::shared_ptr<Record> fresh;
        if (fetched == 0) {
            fresh = std::make_shared<Record>();
            fresh->fetchedAt = clock();
            if (decode)
                decode(block, fresh->values);
        }
        std::lock_guard<std::mutex> lock(mutex);
        result = fetched;
        if (fresh) {
            fresh->sequence = ++sequence;
            record = std::move(fresh);
        }
        running = false;
        changed.notify_all();
    }
    std::lock_guard<std::mutex> lock(mutex);
    running = false;
    changed.notify_all();
}
