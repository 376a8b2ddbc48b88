#pragma once
// The byte pipe to the ECU on "COM1:". Opens the port lazily (4 attempts per
// operation), limits every transfer to n + 20 ms for n bytes, and turns
// failures into negative codes and debug-log messages. Call from one thread.
//
// A port whose device went away is closed by the device layer; the next
// operation opens it again, so a dashboard left running reconnects by itself.
#include "ecu/wxIOBase.h"

#include <wx/string.h>

#include <functional>
#include <memory>

class SerialPortHandler {
public:
    // Results besides counts (>= 0).
    static constexpr int kDrainNeverQuiet = -99;
    static constexpr int kCannotOpen = -100;
    static constexpr int kShortWrite = -150;
    static constexpr int kNoPort = -200;

    // Makes the device object; the default makes a wxSerialPort.
    using DeviceFactory = std::function<wxIOBase*()>;

    explicit SerialPortHandler(DeviceFactory factory = {});
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
    // Like ReadBytes, within `limitMs` milliseconds instead (0 is taken as 1).
    int ReadBytesWithin(char* buffer, int n, int limitMs);
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

    wxIOBase* getPort() { return port.get(); }

private:
    void initSerialPort();
    wxIOBase* makeDevice();

    DeviceFactory factory;
    std::unique_ptr<wxIOBase> port;
    int baudRate = 9600;
    wxString portName = "COM1:";
};
