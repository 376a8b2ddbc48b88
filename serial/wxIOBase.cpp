#include "serial/wxIOBase.h"

#include <chrono>
#include <thread>

namespace {

bool TimedOut(const IoTimer::Flag* flag)
{
    return flag && flag->load() > 0;
}

void IdleSleep()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

int wxIOBase::WaitReadable(IoTimer::Flag*)
{
    return 0;
}

int wxIOBase::WaitWritable(IoTimer::Flag*)
{
    return 0;
}

int wxIOBase::Readv(char* buffer, size_t n, IoTimer::Flag* timeoutFlag, bool sleepWhenIdle,
                    ReplyGaps* gaps)
{
    size_t left = n;
    while (left > 0 && !TimedOut(timeoutFlag)) {
        const int r = Read(buffer + (n - left), left);
        if (r < 0)
            break;
        if (r > 0) {
            if (gaps)
                gaps->arrived();
            left -= static_cast<size_t>(r) < left ? static_cast<size_t>(r) : left;
            continue;
        }
        if (sleepWhenIdle)
            IdleSleep();
        else if (WaitReadable(timeoutFlag) < 0)
            break;
    }
    return static_cast<int>(n - left);
}

int wxIOBase::ReadvUntilQuiet(char* buffer, size_t n, size_t enough, IoTimer::Flag* timeoutFlag,
                              IoTimer& quietTimer, IoTimer::Flag* quietFlag, ReplyGaps* gaps)
{
    size_t left = n;
    if (enough == 0)
        quietTimer.start();
    while (left > 0 && !TimedOut(timeoutFlag)) {
        const bool quiet = n - left >= enough && TimedOut(quietFlag);
        const int r = Read(buffer + (n - left), left);
        // The quiet timer may have fired while this thread was held up: a
        // byte that came meanwhile means the line was not quiet after all.
        if (r < 0 || (quiet && r == 0))
            break;
        if (r > 0) {
            if (gaps)
                gaps->arrived();
            left -= static_cast<size_t>(r) < left ? static_cast<size_t>(r) : left;
            if (n - left >= enough) {
                // Stopped first, so that an expiry of the old arming cannot
                // set the flag after it was cleared.
                quietTimer.stop();
                quietFlag->store(0);
                quietTimer.start();
            }
            continue;
        }
        if (WaitReadable(timeoutFlag) < 0)
            break;
    }
    quietTimer.stop();
    return static_cast<int>(n - left);
}

int wxIOBase::Writev(const char* buffer, size_t n, IoTimer::Flag* timeoutFlag, bool sleepWhenIdle)
{
    size_t left = n;
    while (left > 0 && !TimedOut(timeoutFlag)) {
        const int r = Write(buffer + (n - left), left);
        if (r < 0)
            break;
        if (r > 0) {
            left -= static_cast<size_t>(r) < left ? static_cast<size_t>(r) : left;
            continue;
        }
        if (sleepWhenIdle)
            IdleSleep();
        else if (WaitWritable(timeoutFlag) < 0)
            break;
    }
    return static_cast<int>(n - left);
}
