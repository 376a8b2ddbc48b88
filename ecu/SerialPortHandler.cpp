#include "ecu/SerialPortHandler.h"

#include "base/DebugLog.h"
#include "ecu/wxSerialPort.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kOpenAttempts = 4;
// Every transfer of n bytes may take n + 20 ms.
constexpr int kSlackMs = 20;
constexpr int kDriverBuffer = 4096;

} // namespace

SerialPortHandler::SerialPortHandler(DeviceFactory deviceFactory)
    : factory(std::move(deviceFactory))
{
    port.reset(makeDevice());
}

SerialPortHandler::~SerialPortHandler()
{
    DebugLog(0, "SerialPortHandler DTOR");
    if (port)
        port->CloseDevice();
}

SerialPortHandler* SerialPortHandler::getInstance()
{
    // Deliberately never deleted: it serves until the process ends.
    static SerialPortHandler* handler = new SerialPortHandler();
    return handler;
}

wxIOBase* SerialPortHandler::makeDevice()
{
    return factory ? factory() : new wxSerialPort();
}

void SerialPortHandler::initSerialPort()
{
    DebugLog(0, "SerialPortHandler:initSerialPort() END");
}

int SerialPortHandler::open()
{
    if (!port) {
        port.reset(makeDevice());
        DebugLog(0, "SerialPortHandler::open() new instance!!");
        if (!port)
            return kNoPort;
    }
    if (port->IsOpen())
        return 0;
    DebugLog(0, "SerialPortHandler:initSerialPort() START");
    initSerialPort();
    bool opened = false;
    for (int attempt = 0; attempt < kOpenAttempts && !opened; ++attempt)
        opened = port->OpenDevice(portName.mb_str()) >= 0;
    if (!opened) {
        DebugLog(0, wxString::Format("Giving up opening %s", portName));
        return kCannotOpen;
    }
    DebugLog(0, "SerialPortHandler::SerialPortHandler() open END");
    return 0;
}

int SerialPortHandler::SendString(const char* bytes, int length)
{
    const int opened = open();
    if (opened < 0)
        return opened;
    if (!port)
        return kNoPort;
    if (length <= 0 || !bytes)
        return 0;
    IoTimer::Flag timedOut{0};
    wxIOBase* device = port.get();
    IoTimer timer(static_cast<unsigned>(length + kSlackMs), &timedOut, [device] { device->Wake(); });
    timer.start();
    const int written = device->Writev(bytes, static_cast<size_t>(length), &timedOut, false);
    timer.stop();
    if (written < length) {
        DebugLog(2, "SerialPortHandler::SendString() WRITE FAILED!");
        return kShortWrite;
    }
    return written;
}

int SerialPortHandler::SendString(const char* text)
{
    return SendString(text, text ? static_cast<int>(std::strlen(text)) : 0);
}

int SerialPortHandler::ReadBytes(char* buffer, int n)
{
    return ReadBytesWithin(buffer, n, n + kSlackMs);
}

int SerialPortHandler::ReadBytesWithin(char* buffer, int n, int limitMs)
{
    const int opened = open();
    if (opened < 0)
        return opened;
    if (!port)
        return kNoPort;
    if (n <= 0 || !buffer)
        return 0;
    IoTimer::Flag timedOut{0};
    wxIOBase* device = port.get();
    IoTimer timer(static_cast<unsigned>(limitMs > 0 ? limitMs : 1), &timedOut,
                  [device] { device->Wake(); });
    timer.start();
    const int received = device->Readv(buffer, static_cast<size_t>(n), &timedOut, false);
    if (received == 0)
        DebugLog(0, wxString::Format("Zero byte received expected: (%d)", n));
    timer.stop();
    return received;
}

void SerialPortHandler::setBaudRate(int rate)
{
    if (open() < 0 || !port)
        return;
    if (rate == 9600) {
        baudRate = 9600;
        DebugLog(0, wxString::Format("SerialPortHandler:setBaudRate(): %d", baudRate));
    } else {
        baudRate = 19200;
    }
    port->SetBaudRate(baudRate);
}

int SerialPortHandler::DiscardPending()
{
    const int opened = open();
    if (opened < 0)
        return opened;
    if (!port)
        return kNoPort;
    // At most what the driver buffers: a line that never stops must not hold us here.
    char scratch[64];
    int dropped = 0;
    while (dropped < kDriverBuffer) {
        const int r = port->Read(scratch, sizeof scratch);
        if (r <= 0)
            return r < 0 && dropped == 0 ? r : dropped;
        dropped += r;
    }
    return dropped;
}

int SerialPortHandler::setLineSpeed(int rate)
{
    const int opened = open();
    if (opened < 0)
        return opened;
    if (!port)
        return kNoPort;
    if (port->SetBaudRate(rate) != 0)
        return -1;
    baudRate = rate;
    return 0;
}

int SerialPortHandler::Discard(int n)
{
    if (n < 0)
        n = 0;
    std::vector<char> scratch(static_cast<size_t>(n) + 32);
    return ReadBytes(scratch.data(), n);
}

int SerialPortHandler::Drain(int n, int passes)
{
    if (passes < 1)
        return kDrainNeverQuiet;
    for (int pass = 0; pass < passes; ++pass) {
        const int k = Discard(n);
        if (k < n)
            return k;
    }
    return kDrainNeverQuiet;
}
