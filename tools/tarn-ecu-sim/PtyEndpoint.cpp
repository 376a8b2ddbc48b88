#include "tools/tarn-ecu-sim/PtyEndpoint.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

int BaudOf(speed_t speed)
{
    struct Entry {
        speed_t code;
        int baud;
    };
    static const Entry kSpeeds[] = {
        {B0, 0},           {B50, 50},         {B75, 75},         {B110, 110},
        {B134, 134},       {B150, 150},       {B200, 200},       {B300, 300},
        {B600, 600},       {B1200, 1200},     {B1800, 1800},     {B2400, 2400},
        {B4800, 4800},     {B9600, 9600},     {B19200, 19200},   {B38400, 38400},
        {B57600, 57600},   {B115200, 115200}, {B230400, 230400}, {B460800, 460800},
        {B500000, 500000}, {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000},
    };
    for (const Entry& entry : kSpeeds)
        if (entry.code == speed)
            return entry.baud;
    return -1;
}

void SetFlag(int fd, int getCmd, int setCmd, int flag)
{
    const int flags = fcntl(fd, getCmd);
    if (flags >= 0)
        fcntl(fd, setCmd, flags | flag);
}

} // namespace

PtyEndpoint::~PtyEndpoint()
{
    close();
}

bool PtyEndpoint::open(std::string& error)
{
    close();
    char name[256] = {0};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        master = slave = -1;
        return false;
    }
    // Raw at once: the default line discipline would echo our replies back
    // to us and treat a 0x03 in a block as an interrupt.
    termios settings {};
    if (tcgetattr(slave, &settings) == 0) {
        cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        tcsetattr(slave, TCSANOW, &settings);
    }
    SetFlag(master, F_GETFL, F_SETFL, O_NONBLOCK);
    SetFlag(master, F_GETFD, F_SETFD, FD_CLOEXEC);
    SetFlag(slave, F_GETFD, F_SETFD, FD_CLOEXEC);
    path = name;
    return true;
}

void PtyEndpoint::close()
{
    if (master >= 0)
        ::close(master);
    if (slave >= 0)
        ::close(slave);
    master = slave = -1;
}

int PtyEndpoint::clientBaud() const
{
    termios settings {};
    if (master < 0 || tcgetattr(master, &settings) != 0)
        return 0;
    const int out = BaudOf(cfgetospeed(&settings));
    const speed_t inCode = cfgetispeed(&settings);
    // An input speed of 0 means "the same as the output speed".
    const int in = inCode == B0 ? out : BaudOf(inCode);
    return in == out && out > 0 ? out : 0;
}

int PtyEndpoint::unreadByClient() const
{
    int count = 0;
    if (slave < 0 || ioctl(slave, FIONREAD, &count) != 0)
        return 0;
    return count;
}

bool PointLink(const std::string& link, const std::string& target, std::string& error)
{
    const std::string temporary = link + ".tmp" + std::to_string(getpid());
    ::unlink(temporary.c_str());
    if (::symlink(target.c_str(), temporary.c_str()) != 0) {
        error = "cannot create link " + link + ": " + std::strerror(errno);
        return false;
    }
    if (::rename(temporary.c_str(), link.c_str()) != 0) {
        error = "cannot create link " + link + ": " + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

void RemoveLinkTo(const std::string& link, const std::string& target)
{
    char buffer[4096];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
    if (n < 0)
        return;
    buffer[n] = '\0';
    if (target == buffer)
        ::unlink(link.c_str());
}
