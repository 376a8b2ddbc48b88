#pragma once
// One-shot time-out timer of the serial layer. start() arms it for its
// interval; on expiry a timer thread sets the caller's flag to 1 and then calls
// the optional function (the serial port uses it to wake a read or write that
// is blocked waiting for the device). stop() disarms it and returns only once
// no expiry of this timer is running, so the flag and the function may live on
// the caller's stack: the owner stops the timer before it goes out of scope
// (the destructor does it too).
#include <atomic>
#include <cstdint>
#include <functional>

class IoTimer {
public:
    // Written once from 0 to 1 by the timer thread; the transfer loops re-read it.
    using Flag = std::atomic<int>;

    // An interval of 0 is taken as 1 ms.
    IoTimer(unsigned intervalMs, Flag* flag, std::function<void()> onExpiry = {});
    IoTimer(const IoTimer&) = delete;
    IoTimer& operator=(const IoTimer&) = delete;
    ~IoTimer();

    // Disarms any previous arming, then arms the timer.
    void start();
    void stop();
    bool isArmed() const { return timerId.load() != 0; }

private:
    void expire(uint64_t id);

    unsigned interval;
    Flag* flag;
    std::function<void()> onExpiry;
    std::atomic<uint64_t> timerId{0}; // 0 while not armed
};
