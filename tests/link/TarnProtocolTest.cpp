// The protocol against an in-memory ECU: probes, mode switches, the runtime
// data fetch with its adaptive reply length, and its failures.
#include "link/RuntimeData.h"
#include "link/TarnProtocol.h"
#include "tests/ecu/FakeEcu.h"
#include "tests/support/TraceCapture.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

using Commands = std::vector<std::pair<std::string, int>>;
using Texts = std::vector<std::string>;

struct Rig {
    LogCapture log; // keeps the debug log out of the test output
    TraceCapture traces;
    FakeEcu ecu;
    SerialPortHandler handler{[this] { return new FakeEcuDevice(ecu); }, 0};
    TarnProtocol protocol{&handler};

    explicit Rig(int mode = 12) { ecu.mode = mode; }
    // The line at the running firmware's speed, as after an earlier fetch.
    void atRunSpeed()
    {
        handler.setBaudRate(9600);
        ecu.baudRequests.clear();
    }
};

} // namespace

TEST(TarnProtocol, MenuModeIsLeftWithMmbye)
{
    Rig rig(13);
    EXPECT_EQ(rig.protocol.getRuntimeData(), 0);
    // No "A" before the ECU is found in its running mode: the menu answers
    // its probe, is left with "mmbye", and the firmware then gives its signature.
    const Commands want = {{"mxc", 9600}, {"mmbye", 9600}, {"mxc", 9600}, {"S", 9600},
                           {"A", 9600}};
    EXPECT_EQ(rig.ecu.commands, want);
    EXPECT_EQ(rig.ecu.mode, 12);
    for (int i = 0; i < 56; ++i)
        ASSERT_EQ(g_runtimeData[i], i) << "byte " << i;
}

TEST(TarnProtocol, BootLoaderIsLeftWithE)
{
    Rig rig(11);
    EXPECT_EQ(rig.protocol.getRuntimeData(), 0);
    const Commands want = {{"mxc", 9600}, {"S", 9600}, {"S", 19200}, {"E", 19200},
                           {"mxc", 9600}, {"S", 9600}, {"A", 9600}};
    EXPECT_EQ(rig.ecu.commands, want);
    EXPECT_EQ(rig.handler.getBaudRate(), 9600);
}

TEST(TarnProtocol, SwitchToMode)
{
    struct Case {
        const char* label;
        int from;
        bool present, obeys;
        int target, want;
        Texts commands;
    };
    const Case cases[] = {
        {"already there", 12, true, true, 12, 12, {"mxc", "S"}},
        {"run to menu", 12, true, true, 13, 13, {"mxc", "S", "Man", "mxc"}},
        {"run to boot through the menu", 12, true, true, 11, 11,
         {"mxc", "S", "Man", "mxc", "Manqd47qd", "mxc", "S", "S"}},
        {"menu to run", 13, true, true, 12, 12, {"mxc", "mmbye", "mxc", "S"}},
        {"menu to boot", 13, true, true, 11, 11, {"mxc", "Manqd47qd", "mxc", "S", "S"}},
        {"menu to no mode", 13, true, true, 99, 13, {"mxc"}},
        {"boot to run", 11, true, true, 12, 12, {"mxc", "S", "S", "E", "mxc", "S"}},
        {"boot to menu through run", 11, true, true, 13, 13,
         {"mxc", "S", "S", "E", "mxc", "S", "Man", "mxc"}},
        {"no ECU", 12, false, true, 12, -1, {"mxc", "S", "S"}},
        {"menu ignores mmbye", 13, true, false, 12, -1, {"mxc", "mmbye", "mxc"}},
        {"boot ignores E", 11, true, false, 12, -1,
         {"mxc", "S", "S", "E", "mxc", "S", "S"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Rig rig(c.from);
        rig.ecu.present = c.present;
        rig.ecu.obeysSwitches = c.obeys;
        EXPECT_EQ(rig.protocol.switchToMode(c.target), c.want);
        EXPECT_EQ(rig.ecu.commandTexts(), c.commands);
    }
}

TEST(TarnProtocol, ProbeSpeedsFollowTheMode)
{
    Rig rig(11);
    EXPECT_EQ(rig.protocol.detectMode(), 11);
    const Commands want = {{"mxc", 9600}, {"S", 9600}, {"S", 19200}};
    EXPECT_EQ(rig.ecu.commands, want);
}

TEST(TarnProtocol, GenericTestCompares)
{
    const std::string sig = "TARN Corecard v3";
    struct Case {
        const char* label;
        std::string reply;
        int want;
        int recLen;
        const char* verdict; // the last trace line, or null when none
    };
    const Case cases[] = {
        {"exact", sig, 0, 16, "TarnProtocol::genericTest() MATCH!"},
        {"signature and two bytes", sig + "\r\n", 0, 18, "TarnProtocol::genericTest() MATCH!"},
        {"more after it", sig + "xyz", 0, 18, "TarnProtocol::genericTest() MATCH!"},
        {"last byte differs", "TARN Corecard v2", 1, 16, "TarnProtocol::genericTest() NO MATCH!"},
        {"case differs", "tarn Corecard v3", 1, 16, "TarnProtocol::genericTest() NO MATCH!"},
        {"shifted by a byte", "x" + sig, 1, 17, "TarnProtocol::genericTest() NO MATCH!"},
        {"shorter than the signature", "TARN Core", 1, 9, nullptr},
        {"one byte short", sig.substr(0, 15), 1, 15, nullptr},
        {"nothing", "", 1, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Rig rig;
        rig.ecu.scripted.push_back(c.reply);
        EXPECT_EQ(rig.protocol.genericTest("S", sig.c_str(), 12), c.want);
        char sp[64];
        std::snprintf(sp, sizeof sp, "TarnProtocol::genericTest SP: %p",
                      static_cast<void*>(&rig.handler));
        Texts want = {"TarnProtocol::genericTest() state: 12, baudRate: 9600", sp,
                      "TarnProtocol::genericTest() recLen " + std::to_string(c.recLen) +
                          ", expLen 16"};
        if (c.verdict)
            want.push_back(c.verdict);
        EXPECT_EQ(rig.traces.lines(), want);
    }
}

TEST(TarnProtocol, BootProbeTraceNamesItsSpeed)
{
    Rig rig(11);
    EXPECT_EQ(rig.protocol.genericTest("S", "AVREFI1", 11), 0);
    EXPECT_EQ(rig.traces.count("TarnProtocol::genericTest() state: 11, baudRate: 19200"), 1);
    EXPECT_EQ(rig.traces.count("TarnProtocol::genericTest() recLen 7, expLen 7"), 1);
}

TEST(TarnProtocol, ReplyLengthAdapts)
{
    struct Case {
        const char* label;
        std::vector<int> replies; // lengths of the successive "A" replies, then 56
        int stallAfter;
        int want;
        int wantLength; // expected by the next fetch
        int wantRequests;
    };
    // Without a definition file to anchor it, a length is adopted when it
    // comes twice in a row (one odd reply may be noise or a stall).
    const Case cases[] = {
        {"expected length", {56}, -1, 0, 56, 1},
        {"58 once is not adopted", {58}, -1, 0, 56, 2},
        {"58 twice is", {58, 58}, -1, 0, 58, 3},
        {"50 twice is", {50, 50}, -1, 0, 50, 3},
        {"41 twice is", {41, 41}, -1, 0, 41, 3},
        {"40 never", {40, 40}, -1, 0, 56, 3},
        {"two different lengths are not", {50, 57}, -1, 0, 56, 3},
        {"no reply", {0}, -1, 0, 56, 2},
        {"longer than asked: the read takes 58", {75, 75}, -1, 0, 58, 3},
        {"the last repeated wins", {50, 50, 57, 57}, -1, 0, 57, 5},
        {"stalled reply", {56}, 30, 0, 56, 2},
        {"never the expected length", {58, 58, 58, 58, 58}, -1, -80, 58, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Rig rig;
        rig.atRunSpeed();
        rig.ecu.replyLengths.assign(c.replies.begin(), c.replies.end());
        rig.ecu.stallAfter = c.stallAfter;
        EXPECT_EQ(rig.protocol.getRuntimeData(), c.want);
        EXPECT_EQ(rig.protocol.getExpectedLength(), c.wantLength);
        EXPECT_EQ(rig.ecu.count("A"), c.wantRequests);
        EXPECT_EQ(rig.traces.count("TarnProtocol::getRuntimeData() Received: 56, expected: 56"),
                  c.want == 0 ? 1 : 0);
    }
}

TEST(TarnProtocol, AdoptedLengthStaysWithinTheBlock)
{
    // An ECU that always answers 75 bytes: each fetch reads two bytes more
    // than it expects, so the length climbs by two up to 74 and stops there.
    Rig rig;
    rig.atRunSpeed();
    rig.ecu.replyLength = 75;
    std::vector<int> lengths;
    for (int fetch = 0; fetch < 11; ++fetch) {
        EXPECT_EQ(rig.protocol.getRuntimeData(), -80);
        lengths.push_back(rig.protocol.getExpectedLength());
    }
    const std::vector<int> want = {58, 60, 62, 64, 66, 68, 70, 72, 74, 74, 74};
    EXPECT_EQ(lengths, want);
    EXPECT_EQ(rig.traces.count("TarnProtocol::getRuntimeData() Received: 75, expected: 74"), 10);
}

TEST(TarnProtocol, AdoptedLengthIsThenFetched)
{
    Rig rig;
    rig.atRunSpeed();
    rig.ecu.replyLength = 50;
    EXPECT_EQ(rig.protocol.getRuntimeData(), -80);
    EXPECT_EQ(rig.protocol.getRuntimeData(), 0);
    EXPECT_EQ(rig.ecu.count("A"), 6);
    EXPECT_EQ(rig.traces.count("TarnProtocol::getRuntimeData() Received: 50, expected: 56"), 5);
    EXPECT_EQ(rig.traces.count("TarnProtocol::getRuntimeData() Received: 50, expected: 50"), 1);
}

TEST(TarnProtocol, NoEcuGivesUpAfterFiveAttempts)
{
    Rig rig;
    rig.ecu.present = false;
    EXPECT_EQ(rig.protocol.getRuntimeData(), -80);
    // Each attempt looks for the ECU (three probes); nobody to ask for data.
    EXPECT_EQ(rig.ecu.count("A"), 0);
    EXPECT_EQ(rig.ecu.commands.size(), 5u * 3u);
    EXPECT_EQ(rig.protocol.getExpectedLength(), 56);
    // The last probe, for the boot loader, left the line at 19200.
    EXPECT_EQ(rig.handler.getBaudRate(), 19200);
}

TEST(TarnProtocol, PortThatCannotOpenFailsAtOnce)
{
    Rig rig;
    rig.ecu.unplugged = true;
    EXPECT_EQ(rig.protocol.getRuntimeData(), -100);
    EXPECT_TRUE(rig.ecu.commands.empty());
    EXPECT_EQ(rig.ecu.openCalls, 8); // the send's four attempts, the read's four
    EXPECT_EQ(rig.protocol.detectMode(), -100);
    EXPECT_EQ(rig.protocol.switchToMode(12), -100);
}

TEST(TarnProtocol, LineThatKeepsSendingEndsDetection)
{
    Rig rig;
    rig.ecu.chatter = true;
    EXPECT_EQ(rig.protocol.detectMode(), -99);
    EXPECT_EQ(rig.protocol.switchToMode(12), -99);
    EXPECT_TRUE(rig.ecu.commands.empty());
}

TEST(TarnProtocol, ReconnectsAfterTheAdapterCameBack)
{
    Rig rig;
    EXPECT_EQ(rig.protocol.getRuntimeData(), 0);
    rig.ecu.hangupAfterReplies = rig.ecu.replies;
    // Pulled: the fetch fails with the port error once the device is gone.
    EXPECT_EQ(rig.protocol.getRuntimeData(), -100);
    EXPECT_EQ(rig.protocol.getRuntimeData(), -100);
    rig.ecu.unplugged = false;
    // Back: the port is opened again and the ECU found at 9600.
    EXPECT_EQ(rig.protocol.getRuntimeData(), 0);
    EXPECT_EQ(rig.protocol.getExpectedLength(), 56);
}

TEST(TarnProtocol, StatusTexts)
{
    Rig rig;
    struct Case {
        int code;
        const char* want;
    };
    const Case cases[] = {{11, "Boot"},
                          {12, "Megatune"},
                          {13, "Man"},
                          {-100, "Cannot open port!"},
                          {-150, "Ecu Not Connected"},
                          {-200, "Unknown"},
                          {-80, "Unknown"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(rig.protocol.getStatusText(c.code), c.want);
    }
}

TEST(TarnProtocol, CloseOnlyTraces)
{
    {
        Rig rig;
        ASSERT_EQ(rig.handler.open(), 0);
        rig.protocol.close();
        EXPECT_EQ(rig.traces.lines(), Texts{"TarnProtocol close"});
        EXPECT_TRUE(rig.ecu.deviceOpen);
    }
    TraceCapture traces;
    TarnProtocol unbound;
    unbound.close();
    EXPECT_EQ(traces.lines(), Texts{"TarnProtocol::close() sp is NULL!!!!!!!!!!!!!!"});
    EXPECT_EQ(unbound.getRuntimeData(), -200);
}

TEST(TarnProtocol, SpoiledRepliesAreNeverTakenAsData)
{
    // Whatever goes wrong, the block keeps what it held and -80 is returned.
    struct Case {
        const char* label;
        void (*spoil)(FakeEcu&);
    };
    const Case cases[] = {
        {"short every time", [](FakeEcu& e) { e.replyLength = 54; }},
        {"long every time", [](FakeEcu& e) { e.replyLength = 58; }},
        {"not the ECU: talks garbage of the right length",
         [](FakeEcu& e) { e.scripted.assign(60, std::string(56, 'G')); }},
        {"not the ECU: echoes", [](FakeEcu& e) {
             e.present = false;
             for (const char* c : {"mxc", "S", "S"})
                 for (int i = 0; i < 5; ++i)
                     e.scripted.push_back(c);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Rig rig;
        c.spoil(rig.ecu);
        std::vector<unsigned char> before(kRuntimeDataCapacity, 0xA5);
        loadRuntimeData(before.data(), before.size());
        EXPECT_EQ(rig.protocol.getRuntimeData(), -80);
        EXPECT_EQ(std::vector<unsigned char>(g_runtimeData, g_runtimeData + kRuntimeDataCapacity),
                  before);
    }
}

TEST(TarnProtocol, LengthAnchoredByTheDefinition)
{
    struct Case {
        const char* label;
        int declared, channelsEnd;
        std::vector<int> replies; // lengths of the successive "A" replies, then 56
        int wantLength;           // expected by the next fetch
    };
    const Case cases[] = {
        {"declared: never another", 56, 56, {58, 58, 58, 58, 58}, 56},
        {"declared: noise cannot move it", 56, 56, {57, 57}, 56},
        {"declared elsewhere than 56", 60, 56, {}, 60},
        {"too short for the channels: a stall or a cut", 0, 56, {50, 50, 50}, 56},
        {"one odd length is not enough", 0, 56, {58}, 56},
        {"the same odd length twice is", 0, 56, {58, 58}, 58},
        {"channels end past 56", 0, 60, {}, 60},
        {"nothing known: twice is enough too", 0, 0, {50, 50}, 50},
        {"out of range is never taken", 0, 0, {40, 40}, 56},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Rig rig;
        rig.protocol.setBlockSize(c.declared, c.channelsEnd);
        rig.ecu.replyLengths.assign(c.replies.begin(), c.replies.end());
        rig.protocol.getRuntimeData();
        EXPECT_EQ(rig.protocol.getExpectedLength(), c.wantLength);
    }
}

TEST(TarnProtocol, RequestGoesOutAtTheRunningSpeed)
{
    // The running firmware's signature comes back spoiled once, so the
    // detection falls through to the boot loader's probe at 19200 baud.
    Rig rig;
    rig.ecu.scripted = {"", "xxTARN Corecard v3", ""};
    EXPECT_EQ(rig.protocol.getRuntimeData(), 0);
    ASSERT_GT(rig.ecu.count("A"), 0);
    for (const auto& command : rig.ecu.commands) {
        if (command.first == "A") {
            EXPECT_EQ(command.second, 9600);
        }
    }
    EXPECT_EQ(rig.ecu.commands[2], std::make_pair(std::string("S"), 19200));
}

TEST(TarnProtocol, OpenAttemptsAreSpaced)
{
    FakeEcu ecu;
    ecu.failOpens = 3; // a replug that takes a little while
    SerialPortHandler handler([&] { return new FakeEcuDevice(ecu); }, 20);
    LogCapture log;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(handler.open(), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
    EXPECT_EQ(ecu.openCalls, 4);
    EXPECT_EQ(handler.getOpenCount(), 1);
}

TEST(TarnProtocol, AfterAReconnectTheEcuIsFoundAgainBeforeAnyRequest)
{
    Rig rig;
    ASSERT_EQ(rig.protocol.getRuntimeData(), 0);
    EXPECT_TRUE(rig.protocol.isIdentified());
    // Pulled after this reply and plugged back: something new may answer there.
    rig.ecu.hangupAfterReplies = rig.ecu.replies;
    EXPECT_EQ(rig.protocol.getRuntimeData(), -100);
    rig.ecu.unplugged = false;
    rig.ecu.commands.clear();
    EXPECT_EQ(rig.protocol.getRuntimeData(), 0);
    const Commands want = {{"mxc", 9600}, {"S", 9600}, {"A", 9600}};
    EXPECT_EQ(rig.ecu.commands, want);
}
