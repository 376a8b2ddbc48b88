// The serial device layer on real pseudo-terminals: line settings, time
// limits that wait without burning the processor, and a device that goes away
// and comes back.
#include "serial/SerialPortHandler.h"
#include "serial/wxSerialPort.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/SerialPortEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestTime.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double ThreadCpuMs()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// A shared machine may run us late; never early.
const double kLateMs = static_cast<double>(TestTime::scaled(150));

class SerialPortPty : public ::testing::Test {
protected:
    TempDir dir;
    std::string link = dir.file("ttyECU");
    SerialPortEnv env{link};
    PtyPeer peer{link};
    LogCapture log;
    SerialPortHandler handler;

    void SetUp() override { ASSERT_TRUE(peer.ok()); }

    std::string read(int n, double* ms = nullptr, double* cpuMs = nullptr)
    {
        std::string buffer(static_cast<size_t>(n) + 8, '\0');
        const auto start = Clock::now();
        const double cpu = ThreadCpuMs();
        const int r = handler.ReadBytes(&buffer[0], n);
        if (ms)
            *ms = MsSince(start);
        if (cpuMs)
            *cpuMs = ThreadCpuMs() - cpu;
        return r < 0 ? "<" + std::to_string(r) + ">" : buffer.substr(0, static_cast<size_t>(r));
    }
};

} // namespace

TEST(wxSerialPort, DevicePathOfComOne)
{
    struct Case {
        const char* label;
        const char* env; // null: unset
        const char* name;
        const char* want;
    };
    const Case cases[] = {
        {"from the environment", "/tmp/x/ttyECU", "COM1:", "/tmp/x/ttyECU"},
        {"unset", nullptr, "COM1:", "/dev/ttyS0"},
        {"empty", "", "COM1:", "/dev/ttyS0"},
        {"another name is a path", "/tmp/x/ttyECU", "/dev/ttyUSB3", "/dev/ttyUSB3"},
        {"COM2: is not mapped", "/tmp/x/ttyECU", "COM2:", "COM2:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SerialPortEnv keep("");
        if (c.env)
            ::setenv("TARN_SERIAL_PORT", c.env, 1);
        else
            ::unsetenv("TARN_SERIAL_PORT");
        EXPECT_EQ(wxSerialPort::DevicePath(c.name), c.want);
    }
}

TEST(wxSerialPort, OpenFailures)
{
    TempDir dir;
    const std::string plain = dir.file("plain");
    { std::FILE* f = std::fopen(plain.c_str(), "w"); ASSERT_TRUE(f); std::fclose(f); }
    struct Case {
        const char* label;
        std::string path;
        int want;
    };
    const Case cases[] = {
        {"missing device", dir.file("nothing"), -1},
        {"a plain file is no terminal", plain, -2},
        {"a directory", dir.path, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        wxSerialPort port;
        EXPECT_EQ(port.OpenDevice(c.path.c_str()), c.want);
        EXPECT_FALSE(port.IsOpen());
        char b[4];
        EXPECT_EQ(port.Read(b, 4), -1);
        EXPECT_EQ(port.Write("A", 1), -1);
        EXPECT_EQ(port.SetBaudRate(9600), -1);
    }
    wxSerialPort port;
    SerialSettings odd;
    odd.baud = 12345;
    EXPECT_EQ(port.OpenDevice(plain.c_str(), &odd), -2);
}

TEST_F(SerialPortPty, OpensRawAt19200EightNOne)
{
    ASSERT_EQ(handler.open(), 0);
    const termios tio = peer.settings();
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B19200));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_cc[VMIN], 0);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
    auto* port = dynamic_cast<wxSerialPort*>(handler.getPort());
    ASSERT_NE(port, nullptr);
    EXPECT_STREQ(port->GetClassName(), "wxSerialPort");
    EXPECT_STREQ(port->GetDeviceName(), "COM1:");
}

TEST_F(SerialPortPty, LineSpeeds)
{
    struct Case {
        int asked;
        speed_t want;
    };
    const Case cases[] = {{9600, B9600}, {4800, B19200}, {19200, B19200}, {38400, B19200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        handler.setBaudRate(c.asked);
        const termios tio = peer.settings();
        EXPECT_EQ(cfgetospeed(&tio), c.want);
    }
    // The device itself takes the usual rates and refuses others unchanged.
    auto* port = handler.getPort();
    struct DeviceCase {
        int rate;
        int want;
        speed_t line;
    };
    const DeviceCase rates[] = {{4800, 0, B4800},     {1200, 0, B1200},     {921600, 0, B921600},
                                {12345, -1, B921600}, {0, -1, B921600},     {9600, 0, B9600},
                                {-9600, -1, B9600},   {1000000, -1, B9600}, {300, -1, B9600}};
    for (const DeviceCase& c : rates) {
        SCOPED_TRACE(c.rate);
        EXPECT_EQ(port->SetBaudRate(c.rate), c.want);
        const termios tio = peer.settings();
        EXPECT_EQ(cfgetospeed(&tio), c.line);
    }
}

TEST_F(SerialPortPty, WritesReachTheEcu)
{
    EXPECT_EQ(handler.SendString("Manqd47qd"), 9);
    EXPECT_EQ(peer.receive(), "Manqd47qd");
    const std::string binary("\x00\xff\r\n\x03\x11\x13", 7);
    EXPECT_EQ(handler.SendString(binary.data(), 7), 7);
    EXPECT_EQ(peer.receive(), binary); // raw: no translation, no flow control
}

TEST_F(SerialPortPty, ReadTimeLimits)
{
    ASSERT_EQ(handler.open(), 0);
    struct Case {
        const char* label;
        std::vector<std::pair<int, std::string>> parts;
        int ask;
        size_t want;
        double minMs, maxMs;
    };
    const std::string r56(56, 'r');
    const Case cases[] = {
        // A short reply waits out its whole limit of 58 + 20 ms.
        {"short reply", {{5, r56}}, 58, 56, 78, 78 + kLateMs},
        // A full one returns with its last byte, long before its limit of 220 ms
        // (the sender's clock starts a little before ours: hence 15, not 25).
        {"full reply in two parts", {{5, std::string(150, 'a')}, {25, std::string(50, 'b')}}, 200,
         200, 15, 220 - 20},
        {"nothing", {}, 10, 0, 30, 30 + kLateMs},
        {"nothing asked", {}, 0, 0, 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        peer.sendLater(c.parts);
        double ms = 0, cpuMs = 0;
        const std::string got = read(c.ask, &ms, &cpuMs);
        peer.join();
        EXPECT_EQ(got.size(), c.want);
        EXPECT_GE(ms, c.minMs);
        EXPECT_LE(ms, c.maxMs);
        // Waiting sleeps in the kernel: a polling loop would burn the whole wait.
        EXPECT_LT(cpuMs, 0.2 * ms + 2.0);
        read(64); // drops what is left
    }
}

TEST_F(SerialPortPty, ReplyOfKnownLengthEndsOnAQuietLine)
{
    ASSERT_EQ(handler.open(), 0);
    handler.setBaudRate(9600); // three character times: 3.1 ms, waited as 4
    struct Case {
        const char* label;
        std::vector<std::pair<int, std::string>> parts;
        size_t want;
        double minMs, maxMs;
    };
    const std::string r56(56, 'r');
    const Case cases[] = {
        // The expected 56 then silence: done a few milliseconds after the
        // last byte, not at the limit of 58 + 20 ms.
        {"exact reply", {{5, r56}}, 56, 5, 77},
        // Extra bytes still belong to the reply, and it ends early too.
        {"longer reply", {{5, r56 + "x"}}, 57, 5, 77},
        {"short reply waits out the limit", {{5, std::string(50, 's')}}, 50, 78, 78 + kLateMs},
        {"silence waits out the limit", {}, 0, 78, 78 + kLateMs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        peer.sendLater(c.parts);
        std::string buffer(64, '\0');
        const auto start = Clock::now();
        const int got = handler.ReadReply(&buffer[0], 58, 56);
        const double ms = MsSince(start);
        peer.join();
        EXPECT_EQ(got, static_cast<int>(c.want));
        EXPECT_GE(ms, c.minMs);
        EXPECT_LE(ms, c.maxMs) << "the real figure is measured by bench_protocol";
        read(64); // drops what is left
    }
}

TEST(wxSerialPort, OpenFailureKeepsTheReason)
{
    TempDir dir;
    const std::string plain = dir.file("plain");
    { std::FILE* f = std::fopen(plain.c_str(), "w"); ASSERT_TRUE(f); std::fclose(f); }
    struct Case {
        const char* label;
        std::string path;
        const char* reason;
    };
    const Case cases[] = {
        {"missing device", dir.file("nothing"), "No such file or directory"},
        {"not a serial line", plain, "Inappropriate ioctl for device"},
        {"a directory", dir.path, "Is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SerialPortEnv env(c.path);
        LogCapture log;
        SerialPortHandler handler(SerialPortHandler::DeviceFactory(), 0);
        EXPECT_EQ(handler.open(), SerialPortHandler::kCannotOpen);
        EXPECT_EQ(handler.getDevicePath(), c.path);
        EXPECT_EQ(handler.getOpenError(), c.reason);
    }
}

TEST_F(SerialPortPty, ExcessIsLeftForTheNextRead)
{
    peer.send("0123456789");
    EXPECT_EQ(read(4), "0123");
    double ms = 0;
    EXPECT_EQ(read(10, &ms), "456789");
    EXPECT_GE(ms, 30.0);
}

TEST_F(SerialPortPty, DrainOnALineThatKeepsSending)
{
    peer.send(std::string(1024, 'x'));
    const auto start = Clock::now();
    EXPECT_EQ(handler.Drain(4, 64), -99);
    EXPECT_LT(MsSince(start), 500.0);
    // 64 passes of 4 bytes took 256 of them.
    EXPECT_EQ(read(1024 - 256).size(), 1024u - 256u);
    // A quiet line: the first pass comes back empty after its 24 ms.
    const auto quiet = Clock::now();
    EXPECT_EQ(handler.Drain(4, 64), 0);
    EXPECT_GE(MsSince(quiet), 24.0);
}

TEST_F(SerialPortPty, DeviceThatGoesAwayIsOpenedAgain)
{
    handler.setBaudRate(9600);
    peer.send("ok");
    EXPECT_EQ(read(2), "ok");
    peer.hangUp();
    // The read finds the device gone and closes the port.
    EXPECT_EQ(read(4), "");
    EXPECT_FALSE(handler.getPort()->IsOpen());
    EXPECT_TRUE(log.containsPrefix("wxSerialPort::"));
    // While it is away, every operation tries four times and gives up.
    log.clear();
    ::unlink(link.c_str());
    EXPECT_EQ(handler.SendString("A"), -100);
    EXPECT_TRUE(log.contains("Giving up opening COM1:"));
    // Plugged in again: a new terminal at the same place.
    peer.open();
    ASSERT_TRUE(peer.ok());
    EXPECT_EQ(handler.SendString("S"), 1);
    EXPECT_EQ(peer.receive(), "S");
    peer.send("TARN Corecard v3");
    EXPECT_EQ(read(16), "TARN Corecard v3");
    // The speed set last still holds on the new terminal.
    const termios tio = peer.settings();
    EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B9600));
}

TEST_F(SerialPortPty, WriteToAVanishedDevice)
{
    ASSERT_EQ(handler.open(), 0);
    peer.hangUp();
    EXPECT_EQ(handler.SendString("A"), -150);
    EXPECT_FALSE(handler.getPort()->IsOpen());
}
