// The whole ECU layer against the simulator on a real pseudo-terminal: mode
// switches at the right line speeds, the adaptive reply length, no ECU, a
// hang-up and reconnection, faults on the line, and values end to end.
#include "definition/IniParser.h"
#include "ecu/RTDataMgrSerial.h"
#include "link/TarnProtocol.h"
#include "tests/support/PtyPeer.h"
#include "tests/support/SerialPortEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TestTime.h"
#include "tests/support/TraceCapture.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>

namespace {

const std::string kSampleIni = TARN_SAMPLE_DIR "/tarnv3.ini";
const std::string kOneRecord = TARN_TEST_DATA_DIR "/ecu/fixtures/one-record.log";

struct Client {
    LogCapture log;
    TraceCapture traces;
    SerialPortHandler handler;
    TarnProtocol protocol{&handler};
};

// One tick as `tarntool live` makes it: ask, wait, take the values.
int FetchAndWait(RTDataMgrSerial& input)
{
    input.requestFetch();
    const int result = input.waitForFetch();
    input.fillValueMap();
    return result;
}

std::unique_ptr<SymbolTable> LoadSample()
{
    wxLogNull quiet;
    int result = -1;
    std::unique_ptr<SymbolTable> table(
        loadDefinitionFileFrom(wxString::FromUTF8(kSampleIni), nullptr, &result));
    EXPECT_EQ(result, 0);
    return table;
}

} // namespace

TEST(EcuSimulator, MenuModeIsSwitchedWithMmbye)
{
    SimProcess sim({"--mode", "menu"});
    ASSERT_TRUE(sim.ok()) << SimProcess::binary();
    Client client;
    EXPECT_EQ(client.protocol.getRuntimeData(), 0);
    EXPECT_EQ(sim.logCount("command \"mmbye\" in mode menu"), 1);
    EXPECT_EQ(client.traces.count("TarnProtocol::getRuntimeData() Received: 56, expected: 56"), 1);
    // From now on one request per fetch.
    EXPECT_EQ(client.protocol.getRuntimeData(), 0);
    EXPECT_EQ(sim.logCount("command \"A\" in mode run"), 2);
}

TEST(EcuSimulator, BootLoaderIsLeftWithE)
{
    SimProcess sim({"--mode", "boot"});
    ASSERT_TRUE(sim.ok());
    Client client;
    EXPECT_EQ(client.protocol.getRuntimeData(), 0);
    EXPECT_EQ(sim.logCount("command \"S\" in mode boot"), 1); // the detection found it
    EXPECT_EQ(sim.logCount("command \"E\" in mode boot"), 1);
    EXPECT_EQ(client.handler.getBaudRate(), 9600);
    EXPECT_EQ(client.traces.count("TarnProtocol::genericTest() recLen 7, expLen 7"), 1);
}

TEST(EcuSimulator, ReplyLengthAdapts)
{
    struct Case {
        const char* length;
        int wantLength;
        bool thenFetched; // the next fetch succeeds with the adopted length
    };
    const Case cases[] = {
        {"58", 58, true},
        {"50", 50, true},
        {"40", 56, false},
        {"75", 58, false}, // only 58 are asked for
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        SimProcess sim({"--reply-length", c.length});
        ASSERT_TRUE(sim.ok());
        Client client;
        EXPECT_EQ(client.protocol.getRuntimeData(), -80);
        EXPECT_EQ(client.protocol.getExpectedLength(), c.wantLength);
        if (c.thenFetched) {
            EXPECT_EQ(client.protocol.getRuntimeData(), 0);
        }
    }
}

TEST(EcuSimulator, NoEcuMeansFiveAttempts)
{
    TempDir dir;
    const std::string link = dir.file("ttyECU");
    SerialPortEnv env(link);
    PtyPeer silent(link);
    ASSERT_TRUE(silent.ok());
    Client client;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.protocol.getRuntimeData(), -80);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                                 start).count();
    const std::string sent = silent.receive();
    // Five attempts to find the ECU, each with its three probes; no "A" to nobody.
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 'm'), 5);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 'A'), 0);
    EXPECT_EQ(client.traces.count("TarnProtocol::genericTest() recLen 0, expLen 23"), 5);
    // Five probe limits of 45 ms at the least, plus the others and the drains.
    EXPECT_GT(ms, 5 * 45.0);
}

TEST(EcuSimulator, NoDeviceFailsAtOnce)
{
    TempDir dir;
    SerialPortEnv env(dir.file("nothing-here"));
    Client client;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.protocol.getRuntimeData(), -100);
    // Four open attempts 25 ms apart, no waits on a line.
    EXPECT_LT(std::chrono::steady_clock::now() - start, TestTime::scaled(std::chrono::milliseconds(1000)));
    EXPECT_TRUE(client.log.contains("Giving up opening COM1:"));
}

TEST(EcuSimulator, ValuesEndToEnd)
{
    SimProcess sim({"--ini", kSampleIni, "--datalog", kOneRecord});
    ASSERT_TRUE(sim.ok());
    Client client;
    std::unique_ptr<SymbolTable> table = LoadSample();
    RTDataMgrSerial input(&client.protocol, table.get());
    ValueMap values;
    input.setValueMap(&values);
    struct Case {
        const char* name;
        double want;
    };
    const Case cases[] = {
        {"secl", 12},     {"rpm", 3000},   {"map", 101.3},     {"baro", 100.0},
        {"coolant", 85.0}, {"spark", -5.5}, {"afr", 14.7},     {"tpsDot", -12.5},
        {"lambda", 1.0},  {"boost", 1.3},  {"coolantF", 185.0},
    };
    for (int tick = 0; tick < 2; ++tick) {
        values.clear();
        for (const Case& c : cases)
            values[c.name] = 0;
        values["nosuch"] = 0;
        EXPECT_EQ(FetchAndWait(input), 0);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_NEAR(values[c.name], c.want, 1e-9);
        }
        EXPECT_TRUE(RTDataMgr::IsNoValue(values["nosuch"]));
    }
}

TEST(EcuSimulator, ReconnectsAfterHangUp)
{
    // The simulator closes its terminal after every 4 replies and opens a new
    // one at the same link, as an adapter that is pulled and plugged back.
    SimProcess sim({"--ini", kSampleIni, "--datalog", kOneRecord, "--hangup-after", "4"});
    ASSERT_TRUE(sim.ok());
    Client client;
    std::unique_ptr<SymbolTable> table = LoadSample();
    RTDataMgrSerial input(&client.protocol, table.get());
    ValueMap values;
    input.setValueMap(&values);
    // Tick as the dashboard does until a fetch succeeds after the third hang-up.
    int ticks = 0, fetchedAfterThird = 0;
    for (; ticks < 40 && fetchedAfterThird == 0; ++ticks) {
        const int hangUps = sim.logCount("hang-up of");
        values.clear();
        values["rpm"] = 0;
        if (FetchAndWait(input) != 0)
            continue;
        EXPECT_DOUBLE_EQ(values["rpm"], 3000.0);
        if (hangUps >= 3)
            ++fetchedAfterThird;
    }
    EXPECT_EQ(fetchedAfterThird, 1) << ticks << " ticks";
    wxLog::FlushActive(); // the worker's messages wait for this thread
    EXPECT_TRUE(client.log.containsPrefix("wxSerialPort::"));
}

TEST(EcuSimulator, FaultsOnTheLineThenCleanAgain)
{
    std::unique_ptr<SymbolTable> table = LoadSample();
    Client client;
    RTDataMgrSerial input(&client.protocol, table.get());
    ValueMap values;
    input.setValueMap(&values);
    auto tick = [&] {
        values.clear();
        values["rpm"] = 0;
        values["lambda"] = 0;
        return FetchAndWait(input);
    };
    {
        SimProcess noisy({"--ini", kSampleIni, "--datalog", kOneRecord, "--seed", "7",
                          "--noise", "0.2", "--drop", "0.1", "--short", "0.1", "--long", "0.1",
                          "--stall", "40", "--stall-rate", "0.1"});
        ASSERT_TRUE(noisy.ok());
        int fetched = 0;
        for (int i = 0; i < 8; ++i)
            fetched += tick() == 0;
        EXPECT_GT(noisy.logCount("noise") + noisy.logCount("drop") + noisy.logCount("short") +
                      noisy.logCount("long") + noisy.logCount("stall"),
                  0);
        EXPECT_GT(fetched, 0);
    }
    // A clean ECU at the same place: true values within a few ticks (a length
    // adopted from two alike faulty replies costs a fetch).
    SimProcess clean({"--ini", kSampleIni, "--datalog", kOneRecord});
    ASSERT_TRUE(clean.ok());
    int result = -1;
    for (int i = 0; i < 3 && result != 0; ++i)
        result = tick();
    ASSERT_EQ(result, 0);
    EXPECT_DOUBLE_EQ(values["rpm"], 3000.0);
    EXPECT_NEAR(values["lambda"], 1.0, 1e-9);
    EXPECT_EQ(tick(), 0);
}
