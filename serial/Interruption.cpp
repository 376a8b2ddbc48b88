#include "serial/Interruption.h"

#include "serial/wxIOBase.h"

#include <chrono>

void Interruption::interrupt()
{
    std::lock_guard<std::mutex> lock(mutex);
    interrupted = true;
    if (activeFlag)
        activeFlag->store(1);
    if (activeDevice)
        activeDevice->Wake();
    wake.notify_all();
}

void Interruption::resume()
{
    interrupted = false;
}

bool Interruption::pause(int ms)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (ms <= 0)
        return !interrupted;
    return !wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return interrupted.load(); });
}

bool Interruption::beginTransfer(IoTimer::Flag* flag, wxIOBase* device)
{
    std::lock_guard<std::mutex> lock(mutex);
    if (interrupted)
        return false;
    activeFlag = flag;
    activeDevice = device;
    return true;
}

void Interruption::endTransfer()
{
    std::lock_guard<std::mutex> lock(mutex);
    activeFlag = nullptr;
    activeDevice = nullptr;
}
