#include "serial/wxSerialPort.h"

#include "base/DebugLog.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct RateEntry {
    int rate;
    speed_t speed;
};

const RateEntry kRates[] = {
    {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
    {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
    {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedOf(int rate, speed_t* speed)
{
    for (const RateEntry& entry : kRates) {
        if (entry.rate == rate) {
            *speed = entry.speed;
            return true;
        }
    }
    return false;
}

// How long one wait may sleep before it looks at the time-out flag again, in
// case nobody wakes it (a caller's flag set without Wake()).
constexpr int kWaitSliceMs = 100;

// Errors with which the kernel says the device itself went away.
bool IsGone(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV;
}

bool IsRetry(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
}

} // namespace

wxSerialPort::wxSerialPort() = default;

wxSerialPort::~wxSerialPort()
{
    CloseDevice();
    const int wake = wakeFd.exchange(-1);
    if (wake >= 0)
        ::close(wake);
}

std::string wxSerialPort::DevicePath(const char* name)
{
    if (name && std::strcmp(name, "COM1:") == 0) {
        const char* env = std::getenv("TARN_SERIAL_PORT");
        return env && *env ? env : "/dev/ttyS0";
    }
    return name ? name : "";
}

bool wxSerialPort::IsAcceptedRate(int rate)
{
    speed_t speed;
    return SpeedOf(rate, &speed);
}

int wxSerialPort::FailOpen(int handle, int result, int error)
{
    if (handle >= 0)
        ::close(handle);
    openError = std::strerror(error);
    return result;
}

int wxSerialPort::OpenDevice(const char* name, const SerialSettings* newSettings)
{
    if (newSettings)
        settings = *newSettings;
    CloseDevice();
    openError.clear();

    devicePath = DevicePath(name);
    const int handle = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return FailOpen(-1, -1, errno);
    // Nobody else may open the line while we talk on it (released at close).
    // Not fatal: a line we cannot claim still works, but say so.
    if (::ioctl(handle, TIOCEXCL) != 0)
        DebugLog(1, wxString::Format("wxSerialPort::OpenDevice() cannot claim %s for itself: %s",
                                     devicePath, std::strerror(errno)));

    std::strncpy(deviceName, name ? name : "", sizeof deviceName - 1);
    deviceName[sizeof deviceName - 1] = '\0';

    termios tio;
    speed_t speed;
    if (::tcgetattr(handle, &tio) != 0)
        return FailOpen(handle, -2, errno);
    if (!SpeedOf(settings.baud, &speed))
        return FailOpen(handle, -2, EINVAL);
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    switch (settings.dataBits) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    default: tio.c_cflag |= CS8; break;
    }
    if (settings.parity == 1)
        tio.c_cflag |= PARENB | PARODD;
    else if (settings.parity == 2)
        tio.c_cflag |= PARENB;
    if (settings.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    if (settings.rtsCts)
        tio.c_cflag |= CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (settings.xonXoff) {
        tio.c_iflag |= IXON | IXOFF;
        tio.c_cc[VSTART] = 0x11;
        tio.c_cc[VSTOP] = 0x13;
    }
    // Reads return at once with whatever the driver holds.
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(handle, TCSANOW, &tio) != 0)
        return FailOpen(handle, -2, errno);
    // DTR and RTS on. A pseudo-terminal has no modem lines (ENOTTY): fine.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(handle, TIOCMBIS, &lines);

    if (wakeFd.load() < 0) {
        const int wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (wake < 0)
            return FailOpen(handle, -3, errno);
        wakeFd = wake;
    }
    fd = handle;
    return 0;
}

int wxSerialPort::CloseDevice()
{
    if (fd >= 0) {
        ::ioctl(fd, TIOCNXCL);
        ::close(fd);
        fd = -1;
    }
    return 0;
}

void wxSerialPort::DeviceGone(const char* operation, int error)
{
    DebugLog(1, wxString::Format("wxSerialPort::%s() %s (%s) is gone: %s; closing it", operation,
                                 deviceName, DevicePath(deviceName), std::strerror(error)));
    CloseDevice();
}

int wxSerialPort::Read(char* buffer, size_t n)
{
    if (fd < 0)
        return -1;
    if (n == 0)
        return 0;
    const ssize_t r = ::read(fd, buffer, n);
    if (r >= 0)
        return static_cast<int>(r);
    const int error = errno;
    if (IsRetry(error))
        return 0;
    if (IsGone(error))
        DeviceGone("Read", error);
    return -1;
}

int wxSerialPort::Write(const char* buffer, size_t n)
{
    if (fd < 0)
        return -1;
    if (n == 0)
        return 0;
    const ssize_t r = ::write(fd, buffer, n);
    if (r >= 0)
        return static_cast<int>(r);
    const int error = errno;
    if (IsRetry(error))
        return 0;
    if (IsGone(error))
        DeviceGone("Write", error);
    return -1;
}

int wxSerialPort::SetBaudRate(int rate)
{
    speed_t speed;
    if (!SpeedOf(rate, &speed) || fd < 0)
        return -1;
    termios tio;
    if (::tcgetattr(fd, &tio) != 0)
        return -1;
    ::cfsetispeed(&tio, speed);
    ::cfsetospeed(&tio, speed);
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        if (IsGone(errno))
            DeviceGone("SetBaudRate", errno);
        return -1;
    }
    settings.baud = rate;
    return 0;
}

void wxSerialPort::Wake()
{
    const int wake = wakeFd.load();
    if (wake >= 0) {
        const uint64_t one = 1;
        ssize_t ignored = ::write(wake, &one, sizeof one);
        (void)ignored;
    }
}

int wxSerialPort::WaitReadable(IoTimer::Flag* timeoutFlag)
{
    return Wait(POLLIN, timeoutFlag);
}

int wxSerialPort::WaitWritable(IoTimer::Flag* timeoutFlag)
{
    return Wait(POLLOUT, timeoutFlag);
}

int wxSerialPort::Wait(short events, IoTimer::Flag* timeoutFlag)
{
    if (fd < 0)
        return -1;
    pollfd fds[2] = {{fd, events, 0}, {wakeFd.load(), POLLIN, 0}};
    const nfds_t count = fds[1].fd >= 0 ? 2 : 1;
    for (;;) {
        if (timeoutFlag && timeoutFlag->load() > 0)
            return 0;
        const int r = ::poll(fds, count, kWaitSliceMs);
        if (r < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return -1;
        }
        if (count == 2 && (fds[1].revents & POLLIN)) {
            uint64_t drained;
            ssize_t ignored = ::read(fds[1].fd, &drained, sizeof drained);
            (void)ignored;
        }
        const short seen = fds[0].revents;
        if (seen & POLLNVAL) {
            CloseDevice();
            return -1;
        }
        if (seen & (POLLHUP | POLLERR)) {
            // A hang-up may still leave input to read; only an empty one is the end.
            int pending = 0;
            if (events == POLLIN && ::ioctl(fd, FIONREAD, &pending) == 0 && pending > 0)
                return 0;
            DeviceGone(events == POLLIN ? "WaitReadable" : "WaitWritable",
                       (seen & POLLHUP) ? EIO : ENXIO);
            return -1;
        }
        // Ready, woken, or a slice passed: the caller looks at the flag again.
        return 0;
    }
}
