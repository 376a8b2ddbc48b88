#include "serial/SerialPortHandler.h"

#include "base/DebugLog.h"
#include "serial/LineTiming.h"
#include "serial/wxSerialPort.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kOpenAttempts = 4;
constexpr int kDriverBuffer = 4096;

} // namespace

SerialPortHandler::SerialPortHandler(DeviceFactory deviceFactory, int pauseMs)
    : factory(std::move(deviceFactory)), openPauseMs(pauseMs < 0 ? 0 : pauseMs)
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

std::string SerialPortHandler::getDevicePath() const
{
    const std::string path = port ? port->GetDevicePath() : std::string();
    return path.empty() ? wxSerialPort::DevicePath(portName.mb_str()) : path;
}

int SerialPortHandler::open()
{
    if (interruption.isInterrupted())
        return kInterrupted;
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
    for (int attempt = 0; attempt < kOpenAttempts && !opened; ++attempt) {
        // Back-to-back attempts would all miss an adapter that is being replugged.
        if (attempt > 0 && openPauseMs > 0 && !interruption.pause(openPauseMs))
            return kInterrupted;
        opened = port->OpenDevice(portName.mb_str()) >= 0;
    }
    if (!opened) {
        openError = port->GetOpenError();
        DebugLog(0, wxString::Format("Giving up opening %s", portName));
        return kCannotOpen;
    }
    openError.clear();
    ++openCount;
    DebugLog(0, "SerialPortHandler::SerialPortHandler() open END");
    return 0;
}

void SerialPortHandler::interrupt()
{
    interruption.interrupt();
}

void SerialPortHandler::resume()
{
    interruption.resume();
}

bool SerialPortHandler::pause(int ms)
{
    return interruption.pause(ms);
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
    if (!interruption.beginTransfer(&timedOut, device))
        return kInterrupted;
    IoTimer timer(static_cast<unsigned>(length + kTransferSlackMs), &timedOut,
                  [device] { device->Wake(); });
    timer.start();
    gaps.restart();
    const int written = device->Writev(bytes, static_cast<size_t>(length), &timedOut, false);
    timer.stop();
    interruption.endTransfer();
    if (interruption.isInterrupted())
        return kInterrupted;
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
    return ReadReply(buffer, n, -1);
}

int SerialPortHandler::ReadReply(char* buffer, int n, int expected)
{
    return readWithin(buffer, n, expected, n + kTransferSlackMs);
}

int SerialPortHandler::ReadReply(char* buffer, int n, int expected, QuietWindow& window)
{
    if (expected < 0 || expected > n)
        return ReadReply(buffer, n, expected);
    const int got = readWithin(buffer, expected, -1, n + kTransferSlackMs);
    if (got < expected)
        return got;
    window.learn(gaps.largest());
    // No time limit here: the window ends it, or the room for a longer reply.
    const int more = ReadUntilQuiet(buffer + got, n - got, window.ms());
    if (more < 0)
        return more;
    if (more > 0)
        window.learn(gaps.largest());
    return got + more;
}

int SerialPortHandler::ReadUntilQuiet(char* buffer, int n, int quietMs)
{
    const int opened = open();
    if (opened < 0)
        return opened;
    if (n <= 0 || !buffer)
        return 0;
    wxIOBase* device = port.get();
    if (!device)
        return kNoPort;
    IoTimer::Flag stopped{0};
    IoTimer::Flag quiet{0};
    if (!interruption.beginTransfer(&stopped, device))
        return kInterrupted;
    IoTimer quietTimer(static_cast<unsigned>(quietMs), &quiet, [device] { device->Wake(); });
    const int received = device->ReadvUntilQuiet(buffer, static_cast<size_t>(n), 0, &stopped,
                                                 quietTimer, &quiet, &gaps);
    interruption.endTransfer();
    return interruption.isInterrupted() ? kInterrupted : received;
}

int SerialPortHandler::ReadBytesWithin(char* buffer, int n, int limitMs)
{
    return readWithin(buffer, n, -1, limitMs);
}

int SerialPortHandler::readWithin(char* buffer, int n, int expected, int limitMs)
{
    const int opened = open();
    if (opened < 0)
        return opened;
    if (!port)
        return kNoPort;
    if (n <= 0 || !buffer)
        return 0;
    IoTimer::Flag timedOut{0};
    IoTimer::Flag quiet{0};
    wxIOBase* device = port.get();
    if (!interruption.beginTransfer(&timedOut, device))
        return kInterrupted;
    IoTimer timer(static_cast<unsigned>(limitMs > 0 ? limitMs : 1), &timedOut,
                  [device] { device->Wake(); });
    timer.start();
    int received;
    if (expected < 0 || expected > n) {
        received = device->Readv(buffer, static_cast<size_t>(n), &timedOut, false, &gaps);
    } else {
        IoTimer quietTimer(static_cast<unsigned>(quietGapMs(baudRate)), &quiet,
                           [device] { device->Wake(); });
        received = device->ReadvUntilQuiet(buffer, static_cast<size_t>(n),
                                           static_cast<size_t>(expected), &timedOut, quietTimer,
                                           &quiet, &gaps);
    }
    if (received == 0 && !interruption.isInterrupted())
        DebugLog(0, wxString::Format("Zero byte received expected: (%d)", n));
    timer.stop();
    interruption.endTransfer();
    return interruption.isInterrupted() ? kInterrupted : received;
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
