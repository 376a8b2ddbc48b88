#pragma once
// Abstract byte device of the serial layer (our own class, not the toolkit's):
// the device operations a concrete port implements, and the read-all and
// write-all loops built on them.
#include "serial/IoTimer.h"
#include "serial/ReplyGaps.h"
#include "serial/SerialSettings.h"

#include <cstddef>
#include <string>

class wxIOBase {
public:
    virtual ~wxIOBase() = default;

    virtual const char* GetClassName() const { return "wxIOBase"; }

    virtual int CloseDevice() = 0;
    // 0 when open, negative when not; with no settings the current ones are used,
    // otherwise they first replace the current ones.
    virtual int OpenDevice(const char* name, const SerialSettings* settings = nullptr) = 0;
    virtual bool IsOpen() const = 0;
    // One transfer of what the device can take or give at once (possibly 0), or -1.
    virtual int Read(char* buffer, size_t n) = 0;
    virtual int Write(const char* buffer, size_t n) = 0;
    // -1 for a rate the device does not accept or when it refuses; 0 otherwise.
    virtual int SetBaudRate(int rate) = 0;

    // Called by the loops when a transfer moved nothing: block until the device
    // may be ready again, Wake() is called, or the time-out flag is set; returns
    // a negative value when the device is gone. The base does not wait at all
    // (the loop then polls); a real device blocks in the kernel.
    virtual int WaitReadable(IoTimer::Flag* timeoutFlag);
    virtual int WaitWritable(IoTimer::Flag* timeoutFlag);
    // Ends a wait early. Safe from any thread; the time-out timer calls it.
    virtual void Wake() {}
    // Why the last OpenDevice failed, in the operating system's words, and the
    // file it tried; empty when it did not fail or the device cannot tell.
    virtual std::string GetOpenError() const { return std::string(); }
    virtual std::string GetDevicePath() const { return std::string(); }

    // Loop until n bytes are transferred, the flag is set (> 0) or a single
    // transfer fails; return the number of bytes transferred. With
    // sleepWhenIdle an idle pass sleeps 1 ms instead of waiting on the device.
    // The reads tell `gaps` (may be null) of every arrival.
    int Readv(char* buffer, size_t n, IoTimer::Flag* timeoutFlag, bool sleepWhenIdle,
              ReplyGaps* gaps = nullptr);
    int Writev(const char* buffer, size_t n, IoTimer::Flag* timeoutFlag, bool sleepWhenIdle);
    // Like Readv, but once `enough` bytes are in it also stops when the line
    // stays quiet: `quietTimer` (which sets `quietFlag` and wakes the device)
    // is armed then (at once when `enough` is 0) and re-armed after every
    // transfer that brings bytes.
    int ReadvUntilQuiet(char* buffer, size_t n, size_t enough, IoTimer::Flag* timeoutFlag,
                        IoTimer& quietTimer, IoTimer::Flag* quietFlag, ReplyGaps* gaps = nullptr);
};
