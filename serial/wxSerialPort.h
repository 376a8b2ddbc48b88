#pragma once
// The serial port on Linux (termios). Opened non-blocking and raw; reads and
// writes never block, and the waits between them sleep in poll() until the
// device is ready or the time-out timer wakes them. When the device reports
// that it is gone (unplugged adapter, closed pseudo-terminal) the port closes
// itself, so that the next open() finds the device again.
#include "serial/wxIOBase.h"

#include <atomic>
#include <string>

class wxSerialPort : public wxIOBase {
public:
    wxSerialPort();
    wxSerialPort(const wxSerialPort&) = delete;
    wxSerialPort& operator=(const wxSerialPort&) = delete;
    ~wxSerialPort() override;

    const char* GetClassName() const override { return "wxSerialPort"; }

    int CloseDevice() override;
    // -1 the device cannot be opened, -2 the line settings are refused (not a
    // serial line), -3 the wake-up event cannot be created. GetOpenError()
    // then tells the system's reason, GetDevicePath() the file.
    int OpenDevice(const char* name, const SerialSettings* settings = nullptr) override;
    std::string GetOpenError() const override { return openError; }
    std::string GetDevicePath() const override { return devicePath; }
    bool IsOpen() const override { return fd >= 0; }
    int Read(char* buffer, size_t n) override;
    int Write(const char* buffer, size_t n) override;
    // Accepts 1200 ... 921600 (the usual steps); others give -1 and change nothing.
    int SetBaudRate(int rate) override;

    int WaitReadable(IoTimer::Flag* timeoutFlag) override;
    int WaitWritable(IoTimer::Flag* timeoutFlag) override;
    void Wake() override;

    const SerialSettings& GetSettings() const { return settings; }
    // The name given at open time (at most 31 characters kept).
    const char* GetDeviceName() const { return deviceName; }

    // The file a port name stands for: "COM1:" is the path in TARN_SERIAL_PORT
    // when that is set and not empty, else "/dev/ttyS0"; any other name is a path.
    static std::string DevicePath(const char* name);
    static bool IsAcceptedRate(int rate);

private:
    int Wait(short events, IoTimer::Flag* timeoutFlag);
    int FailOpen(int handle, int result, int error);
    void DeviceGone(const char* operation, int error);

    int fd = -1;
    // eventfd that Wake() signals. Lives as long as the object, not the open
    // device: the timer thread may wake us right after the device went away.
    std::atomic<int> wakeFd{-1};
    SerialSettings settings;
    char deviceName[32] = {};
    std::string devicePath;
    std::string openError;
};
