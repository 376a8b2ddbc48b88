#pragma once
// How another thread ends what the line's user waits for: interrupt() (any
// thread) wakes a pause in progress, ends the registered transfer (its time-out
// flag is set and its device woken), and makes every later pause or transfer
// fail at once until resume(). The one mechanism for the port and the links
// over it.
#include "serial/IoTimer.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

class wxIOBase;

class Interruption {
public:
    void interrupt();
    void resume();
    bool isInterrupted() const { return interrupted.load(); }

    // Waits `ms` milliseconds (0 or less: not at all); false when interrupted
    // before or during the wait.
    bool pause(int ms);

    // Registers a transfer in progress on `device` with its time-out flag;
    // false (nothing registered) when interrupted already. Both must stay
    // valid until endTransfer().
    bool beginTransfer(IoTimer::Flag* flag, wxIOBase* device);
    void endTransfer();

private:
    std::mutex mutex;
    std::condition_variable wake;
    std::atomic<bool> interrupted{false};
    IoTimer::Flag* activeFlag = nullptr; // guarded by mutex
    wxIOBase* activeDevice = nullptr;    // guarded by mutex
};
