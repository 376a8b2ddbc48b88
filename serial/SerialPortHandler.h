#pragma once
// The byte pipe to the ECU on "COM1:". Opens the port lazily (4 attempts per
// operation, a short pause between them), limits every transfer to n + 20 ms
// for n bytes, and turns failures into negative codes and debug-log messages.
// Transfers run on one thread at a time; interrupt() may come from any other.
//
// A port whose device went away is closed by the device layer; the next
// operation opens it again, so a dashboard left running reconnects by itself.
#include "serial/Interruption.h"
#include "serial/QuietWindow.h"
#include "serial/ReplyGaps.h"
#include "serial/wxIOBase.h"

#include <wx/string.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class SerialPortHandler {
public:
    // Results besides counts (>= 0).
    static constexpr int kDrainNeverQuiet = -99;
    static constexpr int kCannotOpen = -100;
    static constexpr int kShortWrite = -150;
    static constexpr int kNoPort = -200;
    // interrupt() was called: every operation returns this until resume().
    static constexpr int kInterrupted = -300;

    // A replugged adapter takes a few milliseconds to come back.
    static constexpr int kOpenPauseMs = 25;

    // Makes the device object; the default makes a wxSerialPort.
    using DeviceFactory = std::function<wxIOBase*()>;

    // `openPauseMs` separates the open attempts (0 for a device that needs no time).
    explicit SerialPortHandler(DeviceFactory factory = {}, int openPauseMs = kOpenPauseMs);
    SerialPortHandler(const SerialPortHandler&) = delete;
    SerialPortHandler& operator=(const SerialPortHandler&) = delete;
    virtual ~SerialPortHandler();

    // The one handler of the process (on the real serial port); never destroyed.
    static SerialPortHandler* getInstance();

    // 0 when the port is open, -100 when it cannot be opened, -200 without a port object.
    int open();
    // Bytes written, or -100, -200, -150 (fewer written than asked).
    int SendString(const char* bytes, int length);
    // A zero-terminated text without its terminator.
    int SendString(const char* text);
    // Bytes read (0..n) within n + 20 ms, or -100, -200. Returns as soon as n
    // bytes are in; a shorter reply takes the whole limit.
    int ReadBytes(char* buffer, int n);
    // Like ReadBytes, within `limitMs` milliseconds instead (0 is taken as 1);
    // -300 when interrupted.
    int ReadBytesWithin(char* buffer, int n, int limitMs);
    // A reply of known length: like ReadBytes, but once `expected` bytes are
    // in it also returns when the line then stays quiet for 3 character times
    // (so a longer reply is still caught, and an exact one ends early).
    int ReadReply(char* buffer, int n, int expected);
    // A reply of known length whose bytes carry no check: `expected` bytes
    // within n + 20 ms, then more (up to n in all) until the line has stayed
    // quiet for `window`, which first learns the gaps of this reply. More
    // than `expected` means the reply was longer; fewer, it stopped short.
    // The count, or -100, -200, -300.
    int ReadReply(char* buffer, int n, int expected, QuietWindow& window);
    // Up to n bytes, until the line has stayed quiet for `quietMs` after the
    // last of them (from now when none come). A byte that comes as the
    // window closes is still read. The count, or -100, -200, -300.
    int ReadUntilQuiet(char* buffer, int n, int quietMs);
    // The largest gap between two arrivals since the last request went out.
    std::chrono::nanoseconds largestReplyGap() const { return gaps.largest(); }
    // Drops what the device holds right now, without waiting; the count or an error.
    int DiscardPending();
    // 9600 selects 9600 baud, every other value 19200.
    void setBaudRate(int rate);
    // Any speed the device accepts (1200 ... 921600): 0, -1 when it refuses,
    // or an open error.
    int setLineSpeed(int rate);
    int getBaudRate() const { return baudRate; }
    // Reads up to n bytes and drops them; the ReadBytes result.
    int Discard(int n);
    // Up to `passes` Discard(n): the short count of the first pass that read
    // fewer than n bytes, a negative read error, or -99.
    int Drain(int n, int passes);

    // Ends the transfer or pause in progress at once and makes every later
    // operation return -300 until resume(). Safe from any thread.
    void interrupt();
    void resume();
    bool isInterrupted() const { return interruption.isInterrupted(); }
    // Waits `ms` milliseconds unless interrupted (for the links' pauses
    // between commands); false when interrupted.
    bool pause(int ms);

    // Successful opens so far: a change means the device was opened anew.
    int getOpenCount() const { return openCount; }
    // The file "COM1:" stands for, and the system's reason why the last open
    // failed (empty after a successful one).
    std::string getDevicePath() const;
    std::string getOpenError() const { return openError; }

    wxIOBase* getPort() const { return port.get(); }

private:
    void initSerialPort();
    wxIOBase* makeDevice();
    // ReadReply within `limitMs` (an `expected` of -1: no quiet-line end).
    int readWithin(char* buffer, int n, int expected, int limitMs);

    DeviceFactory factory;
    std::unique_ptr<wxIOBase> port;
    int baudRate = 9600;
    wxString portName = "COM1:";
    int openPauseMs;
    int openCount = 0;
    std::string openError;
    Interruption interruption;
    ReplyGaps gaps;
};
