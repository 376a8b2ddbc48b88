// The port handler over an in-memory device: opening, time-limited transfers,
// line speeds, draining, and finding the device again after it went away.
#include "serial/SerialPortHandler.h"
#include "tests/ecu/FakeEcu.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Line {
    FakeEcu ecu;
    SerialPortHandler handler{[this] { return new FakeEcuDevice(ecu); }};

    void arrive(const std::string& bytes) { ecu.input.push_back({bytes, ecu.window}); }
    std::string read(int n)
    {
        std::string buffer(static_cast<size_t>(n) + 8, '\0');
        const int r = handler.ReadBytes(&buffer[0], n);
        return r < 0 ? "<" + std::to_string(r) + ">" : buffer.substr(0, static_cast<size_t>(r));
    }
};

} // namespace

TEST(SerialPortHandler, OpensWithinFourAttempts)
{
    struct Case {
        const char* label;
        int failOpens;
        bool unplugged;
        int want;
        int wantOpenCalls;
    };
    const Case cases[] = {
        {"first attempt", 0, false, 0, 1},
        {"fourth attempt", 3, false, 0, 4},
        {"four failures", 4, false, -100, 4},
        {"no device", 0, true, -100, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        LogCapture log;
        Line line;
        line.ecu.failOpens = c.failOpens;
        line.ecu.unplugged = c.unplugged;
        EXPECT_EQ(line.handler.open(), c.want);
        EXPECT_EQ(line.ecu.openCalls, c.wantOpenCalls);
        EXPECT_EQ(log.contains("Giving up opening COM1:"), c.want < 0);
        EXPECT_EQ(log.contains("SerialPortHandler::SerialPortHandler() open END"), c.want == 0);
        EXPECT_TRUE(log.contains("SerialPortHandler:initSerialPort() END"));
    }
}

TEST(SerialPortHandler, OpenPortIsNotOpenedAgain)
{
    Line line;
    ASSERT_EQ(line.handler.open(), 0);
    EXPECT_EQ(line.read(0), "");
    line.handler.SendString("S");
    line.handler.setBaudRate(9600);
    EXPECT_EQ(line.ecu.openCalls, 1);
}

TEST(SerialPortHandler, EveryOperationFailsWithoutDevice)
{
    LogCapture log;
    Line line;
    line.ecu.unplugged = true;
    char buffer[8];
    EXPECT_EQ(line.handler.SendString("A"), -100);
    EXPECT_EQ(line.handler.ReadBytes(buffer, 4), -100);
    EXPECT_EQ(line.handler.Discard(4), -100);
    EXPECT_EQ(line.handler.Drain(4, 64), -100);
    line.handler.setBaudRate(9600);
    EXPECT_TRUE(line.ecu.baudRequests.empty());
    // Four attempts for each of the five operations.
    EXPECT_EQ(line.ecu.openCalls, 20);
    EXPECT_TRUE(line.ecu.commands.empty());
}

TEST(SerialPortHandler, MissingPortObject)
{
    {
        Line line;
        SerialPortHandler handler([] { return static_cast<wxIOBase*>(nullptr); });
        char buffer[4];
        EXPECT_EQ(handler.SendString("A"), -200);
        EXPECT_EQ(handler.ReadBytes(buffer, 4), -200);
    }
    {
        // A port object that could not be made at first is made by the next open().
        LogCapture log;
        FakeEcu ecu;
        int made = 0;
        SerialPortHandler handler([&]() -> wxIOBase* {
            return made++ == 0 ? nullptr : new FakeEcuDevice(ecu);
        });
        EXPECT_EQ(handler.SendString("mxc"), 3);
        EXPECT_TRUE(log.contains("SerialPortHandler::open() new instance!!"));
        ASSERT_EQ(ecu.commands.size(), 1u);
        EXPECT_EQ(ecu.commands[0].first, "mxc");
    }
}

TEST(SerialPortHandler, LineSpeedIs9600Or19200)
{
    struct Case {
        int asked;
        int want;
    };
    const Case cases[] = {{9600, 9600}, {4800, 19200}, {19200, 19200}, {115200, 19200},
                          {0, 19200},   {-9600, 19200}, {9601, 19200}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        LogCapture log;
        Line line;
        line.handler.setBaudRate(c.asked);
        EXPECT_EQ(line.handler.getBaudRate(), c.want);
        ASSERT_EQ(line.ecu.baudRequests.size(), 1u);
        EXPECT_EQ(line.ecu.baudRequests[0], c.want);
        EXPECT_EQ(line.ecu.baud, c.want);
        EXPECT_EQ(log.contains("SerialPortHandler:setBaudRate(): 9600"), c.want == 9600);
    }
}

TEST(SerialPortHandler, ReadBytesCounts)
{
    struct Case {
        const char* label;
        std::string now;   // arrives before the read
        std::string later; // arrives only after the first read's limit
        int ask;
        std::string first;
        std::string second; // a second read of `ask` bytes
    };
    const Case cases[] = {
        {"exact", "0123456789", "", 10, "0123456789", ""},
        {"short", "0123", "", 10, "0123", ""},
        {"excess stays for the next read", "0123456789abcde", "", 10, "0123456789", "abcde"},
        {"nothing", "", "", 10, "", ""},
        {"zero asked", "0123", "", 0, "", ""},
        {"stalled rest", "012345", "6789", 10, "012345", "6789"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Line line;
        line.arrive(c.now);
        if (!c.later.empty())
            line.ecu.input.push_back({c.later, line.ecu.window + 1});
        EXPECT_EQ(line.read(c.ask), c.first);
        EXPECT_EQ(line.read(c.ask), c.second);
    }
}

TEST(SerialPortHandler, ZeroAskedReturnsWithoutWaiting)
{
    Line line;
    ASSERT_EQ(line.handler.open(), 0);
    char buffer[1];
    EXPECT_EQ(line.handler.ReadBytes(buffer, 0), 0);
    EXPECT_EQ(line.ecu.expiredWindows, 0);
}

TEST(SerialPortHandler, EmptyReadIsLogged)
{
    LogCapture log;
    Line line;
    EXPECT_EQ(line.read(58), "");
    EXPECT_TRUE(log.contains("Zero byte received expected: (58)"));
    log.clear();
    line.arrive("x");
    EXPECT_EQ(line.read(58), "x");
    EXPECT_FALSE(log.containsPrefix("Zero byte received"));
}

TEST(SerialPortHandler, SendString)
{
    struct Case {
        const char* label;
        std::string bytes;
        int writeLimit;
        int want;
        bool failureLogged;
    };
    const Case cases[] = {
        {"whole", "Manqd47qd", -1, 9, false},
        {"line takes only part", "Manqd47qd", 4, -150, true},
        {"line takes nothing", "A", 0, -150, true},
        {"embedded zero byte", std::string("a\0b", 3), -1, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        LogCapture log;
        Line line;
        line.ecu.writeLimit = c.writeLimit;
        EXPECT_EQ(line.handler.SendString(c.bytes.data(), static_cast<int>(c.bytes.size())), c.want);
        EXPECT_EQ(log.contains("SerialPortHandler::SendString() WRITE FAILED!"), c.failureLogged);
    }
    Line line;
    EXPECT_EQ(line.handler.SendString("mmbye"), 5);
    ASSERT_EQ(line.ecu.commands.size(), 1u);
    EXPECT_EQ(line.ecu.commands[0].first, "mmbye"); // without the terminator
}

TEST(SerialPortHandler, DrainAndDiscard)
{
    struct Case {
        const char* label;
        std::vector<std::string> windows; // bytes arriving in successive read windows
        bool chatter;
        int n, passes, want;
        int left; // bytes still unread afterwards
    };
    const Case cases[] = {
        {"no pass asked", {"abcd"}, false, 4, 0, -99, 4},
        {"quiet line", {}, false, 4, 64, 0, 0},
        {"short pass", {"abcdefghij"}, false, 4, 64, 2, 0},
        {"two full passes then quiet", {"abcdefgh"}, false, 4, 5, 0, 0},
        {"never quiet within the passes", {"abcdefgh"}, false, 4, 2, -99, 0},
        {"trickle: one byte per window", {"a", "b", "c"}, false, 4, 64, 1, 2},
        {"line that keeps sending", {}, true, 4, 64, -99, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Line line;
        ASSERT_EQ(line.handler.open(), 0);
        for (size_t i = 0; i < c.windows.size(); ++i)
            line.ecu.input.push_back({c.windows[i], static_cast<int>(i)});
        line.ecu.chatter = c.chatter;
        EXPECT_EQ(line.handler.Drain(c.n, c.passes), c.want);
        line.ecu.chatter = false;
        int left = 0;
        for (const auto& chunk : line.ecu.input)
            left += static_cast<int>(chunk.bytes.size());
        EXPECT_EQ(left, c.left);
    }
    Line line;
    line.arrive("0123456789");
    EXPECT_EQ(line.handler.Discard(4), 4);
    EXPECT_EQ(line.read(10), "456789");
}

TEST(SerialPortHandler, FindsTheDeviceAgainAfterItWentAway)
{
    LogCapture log;
    Line line;
    line.handler.setBaudRate(9600);
    line.ecu.hangupAfterReplies = 0;
    // The write finds the device gone; it closes itself.
    EXPECT_EQ(line.handler.SendString("S"), -150);
    EXPECT_FALSE(line.ecu.deviceOpen);
    // While it is away every operation tries to open it again.
    EXPECT_EQ(line.read(4), "<-100>");
    EXPECT_TRUE(log.contains("Giving up opening COM1:"));
    const int callsWhileAway = line.ecu.openCalls;
    // Back: the next operation opens it, at the line speed last set.
    line.ecu.unplugged = false;
    EXPECT_EQ(line.handler.SendString("S"), 1);
    EXPECT_EQ(line.ecu.openCalls, callsWhileAway + 1);
    EXPECT_EQ(line.ecu.baud, 9600);
    EXPECT_EQ(line.read(16), "TARN Corecard v3");
}

TEST(SerialPortHandler, DestructorClosesTheDevice)
{
    LogCapture log;
    FakeEcu ecu;
    {
        SerialPortHandler handler([&] { return new FakeEcuDevice(ecu); });
        ASSERT_EQ(handler.open(), 0);
    }
    EXPECT_FALSE(ecu.deviceOpen);
    EXPECT_TRUE(log.contains("SerialPortHandler DTOR"));
}
