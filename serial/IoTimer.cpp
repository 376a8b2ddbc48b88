#include "serial/IoTimer.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// One thread serves every armed timer of the process, like the system's
// multimedia timer: expiries run on it, one at a time.
class TimerService {
public:
    static TimerService& instance()
    {
        static TimerService service;
        return service;
    }

    // Stores the new id into `slot` before the timer can fire.
    void arm(unsigned ms, std::atomic<uint64_t>* slot, std::function<void(uint64_t)> fire)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!worker.joinable())
            worker = std::thread([this] { run(); });
        const uint64_t id = nextId++;
        slot->store(id);
        const Clock::time_point due = Clock::now() + std::chrono::milliseconds(ms);
        armed.emplace(id, Entry{due, std::move(fire)});
        // Most transfers end long before their limit and re-arm at once: the
        // worker, asleep until an older deadline, need not wake for a later one.
        if (due < sleepingUntil)
            wake.notify_all();
    }

    // Returns once the timer can no longer fire.
    void disarm(uint64_t id)
    {
        std::unique_lock<std::mutex> lock(mutex);
        armed.erase(id);
        // The expiry may be running right now; it must not outlive the caller's flag.
        if (worker.get_id() != std::this_thread::get_id())
            fired.wait(lock, [&] { return firing != id; });
    }

    ~TimerService()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            quit = true;
            wake.notify_all();
        }
        if (worker.joinable())
            worker.join();
    }

private:
    struct Entry {
        Clock::time_point due;
        std::function<void(uint64_t)> fire;
    };

    void run()
    {
        std::unique_lock<std::mutex> lock(mutex);
        while (!quit) {
            if (armed.empty()) {
                sleepingUntil = Clock::time_point::max();
                wake.wait(lock);
                sleepingUntil = Clock::time_point::min();
                continue;
            }
            auto next = armed.begin();
            for (auto it = armed.begin(); it != armed.end(); ++it)
                if (it->second.due < next->second.due)
                    next = it;
            // A copy: the entry may be disarmed (erased) while we sleep.
            const Clock::time_point due = next->second.due;
            if (Clock::now() < due) {
                sleepingUntil = due;
                wake.wait_until(lock, due);
                sleepingUntil = Clock::time_point::min();
                continue;
            }
            const uint64_t id = next->first;
            std::function<void(uint64_t)> fire = std::move(next->second.fire);
            armed.erase(next);
            firing = id;
            lock.unlock();
            fire(id);
            lock.lock();
            firing = 0;
            fired.notify_all();
        }
    }

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable fired;
    std::map<uint64_t, Entry> armed;
    uint64_t nextId = 1;
    uint64_t firing = 0;
    // When the worker wakes by itself; min() while it is awake (it will look
    // at the armed timers before sleeping again).
    Clock::time_point sleepingUntil = Clock::time_point::min();
    bool quit = false;
    std::thread worker;
};

} // namespace

IoTimer::IoTimer(unsigned intervalMs, Flag* timeoutFlag, std::function<void()> expiryFunction)
    : interval(intervalMs == 0 ? 1 : intervalMs), flag(timeoutFlag),
      onExpiry(std::move(expiryFunction))
{
}

IoTimer::~IoTimer()
{
    stop();
}

void IoTimer::start()
{
    stop();
    TimerService::instance().arm(interval, &timerId, [this](uint64_t id) { expire(id); });
}

void IoTimer::stop()
{
    const uint64_t id = timerId.exchange(0);
    if (id != 0)
        TimerService::instance().disarm(id);
}

void IoTimer::expire(uint64_t id)
{
    // The flag first, so a transfer woken by onExpiry sees it at once.
    if (flag)
        flag->store(1);
    if (onExpiry)
        onExpiry();
    timerId.compare_exchange_strong(id, 0);
}
