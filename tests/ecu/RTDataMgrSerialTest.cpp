// Decoding the runtime data block into channel values, and serving names.
#include "definition/SymbolTable.h"
#include "ecu/RTDataMgrSerial.h"
#include "link/RuntimeData.h"
#include "link/TarnProtocol.h"
#include "tests/ecu/FakeEcu.h"
#include "tests/support/TraceCapture.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

Symbol* Channel(const char* name, int offset, int size, bool isSigned, double scale = 1.0,
                double trans = 0.0, bool isConst = false)
{
    auto* symbol = new Symbol;
    symbol->setIdentity(name, "", isConst, 0, offset);
    symbol->setType(isSigned, size);
    symbol->setScaling(scale, trans, 0.0, 0.0, 0);
    return symbol;
}

Symbol* Expression(const char* name, const char* expr)
{
    auto* symbol = new Symbol;
    symbol->setExpression(name, expr);
    return symbol;
}

void Block(const std::vector<unsigned char>& bytes)
{
    loadRuntimeData(bytes.data(), bytes.size());
}

// An ECU that sends rpm 3000 and a third byte of 200, on a port of its own.
struct EcuOnPort {
    LogCapture log;
    FakeEcu ecu;
    SerialPortHandler handler{[this] { return new FakeEcuDevice(ecu); }, 0};
    TraceCapture traces;
    TarnProtocol protocol{&handler};
    EcuOnPort() { ecu.block = {0x0B, 0xB8, 200}; }
};

} // namespace

TEST(RTDataMgrSerial, ScaledValues)
{
    auto* table = new SymbolTable;
    table->addSymbol("", Channel("coolant", 0, 1, false, 0.5, -40.0));
    table->addSymbol("", Channel("map", 6, 2, false, 0.1));
    table->addSymbol("", Channel("advance", 1, 1, true, 0.5, 10.0));
    table->addSymbol("", Channel("fuel", 2, 2, true, 2.0, -1.0));
    table->addSymbol("", Channel("odometer", 8, 4, false, 0.001));
    table->addSymbol("", Channel("afterEnd", 75, 2, false, 1.0, 7.0));
    table->addSymbol("", Channel("reqFuel", 4, 1, false, 1.0, 0.0, true)); // a constant
    auto* array = Channel("veTable", 10, 1, false);
    array->setArray(true, 1, 8, 1);
    table->addSymbol("", array);
    std::unique_ptr<SymbolTable> owner(table);

    std::vector<unsigned char> bytes(kRuntimeDataCapacity, 0);
    bytes[0] = 200;         // coolant
    bytes[1] = 0xF6;        // advance: -10
    bytes[2] = 0xFF;        // fuel: -3
    bytes[3] = 0xFD;
    bytes[4] = 99;          // reqFuel, never decoded
    bytes[6] = 0x12;        // map: 4660
    bytes[7] = 0x34;
    bytes[8] = 0x00;        // odometer: 123456
    bytes[9] = 0x01;
    bytes[10] = 0xE2;
    bytes[11] = 0x40;
    bytes[75] = 0x55;       // afterEnd: its second byte would lie past the block
    Block(bytes);

    LogCapture log;
    RTDataMgrSerial input(nullptr, table);
    input.fillScalarValues();
    EXPECT_TRUE(input.getScalarValues().find("afterEnd") == input.getScalarValues().end());
    struct Case {
        const char* name;
        double want;
    };
    const Case cases[] = {
        {"coolant", 80.0},            // (200 - 40) x 0.5, not 200 x 0.5 - 40
        {"map", 466.0},
        {"advance", 0.0},             // (-10 + 10) x 0.5
        {"fuel", -8.0},               // (-3 - 1) x 2
        {"odometer", 123.456},
        {"afterEnd", 0.0},            // never decoded: no value was sent
        {"reqFuel", 0.0},             // constants read 0.0
        {"veTable", -1.0},            // an array without expression
        {"nosuchname", -1.0},
        {"", -1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(input.GetValue(c.name), c.want);
    }
    EXPECT_EQ(input.getScalarValues().find("veTable"), input.getScalarValues().end());
    EXPECT_TRUE(log.contains("Offset: 6, Size: 2, Scale: 0.100000 Tr: 0.000000"));
    EXPECT_TRUE(log.contains("RTDataMgrSerial::fillScalarValues() Symbol: coolant, Value: 80.000000"));
    EXPECT_TRUE(log.contains("----DataMgrSerial::getValue()---- Symbol: map"));
    EXPECT_TRUE(log.contains("Symbol (scalar): map, Value: 466.000000 !!!!!!!!!!!!!"));
    EXPECT_FALSE(log.containsPrefix("RTDataMgrSerial::fillScalarValues() Symbol: reqFuel"));
}

TEST(RTDataMgrSerial, ExpressionsSeeThisTicksValues)
{
    auto* table = new SymbolTable;
    table->addSymbol("", Channel("rpm", 0, 2, false));
    table->addSymbol("", Channel("load", 2, 1, false, 0.5));
    table->addSymbol("", Expression("work", "rpm * load / 100"));
    table->addSymbol("", Expression("hot", "load > 50 ? 1 : 0"));
    std::unique_ptr<SymbolTable> owner(table);

    LogCapture log;
    RTDataMgrSerial input(nullptr, table);
    ValueMap values;
    input.setValueMap(&values);
    struct Tick {
        std::vector<unsigned char> block;
        double work, hot;
    };
    const Tick ticks[] = {
        {{0x0B, 0xB8, 100}, 3000 * 50.0 / 100, 0.0},
        {{0x17, 0x70, 160}, 6000 * 80.0 / 100, 1.0},
        {{0x00, 0x00, 0}, 0.0, 0.0},
    };
    for (const Tick& t : ticks) {
        SCOPED_TRACE(t.work);
        Block(t.block);
        values.clear();
        values["work"] = -5;
        values["hot"] = -5;
        values["rpm"] = -5;
        values["unknown"] = -5;
        input.Update();
        EXPECT_DOUBLE_EQ(values["work"], t.work);
        EXPECT_DOUBLE_EQ(values["hot"], t.hot);
        EXPECT_DOUBLE_EQ(values["rpm"], 256.0 * t.block[0] + t.block[1]);
        EXPECT_TRUE(RTDataMgr::IsNoValue(values["unknown"]));
        EXPECT_EQ(values.size(), 4u);
        // An indicator's expression, no channel: over the same values; one
        // that reads a name without a value has none.
        EXPECT_DOUBLE_EQ(input.ExpressionValue("load > 50"), t.hot);
        EXPECT_TRUE(RTDataMgr::IsNoValue(input.ExpressionValue("load > nosuch")));
    }
    EXPECT_TRUE(log.contains("Symbol: workExpr: rpm * load / 100, Value: 0.000000 !!!!!!!!!!!!!"));
    EXPECT_TRUE(input.HasValue("anything at all"));
    EXPECT_EQ(input.GetKind(), 1);
}

TEST(RTDataMgrSerial, WithoutTableEveryNameReadsMinusOne)
{
    LogCapture log;
    RTDataMgrSerial input(nullptr, nullptr);
    input.fillScalarValues();
    EXPECT_DOUBLE_EQ(input.GetValue("rpm"), -1.0);
}

TEST(RTDataMgrSerial, FetchesThroughItsWorker)
{
    EcuOnPort port;
    FakeEcu& ecu = port.ecu;
    TarnProtocol& protocol = port.protocol;

    auto* table = new SymbolTable;
    table->addSymbol("", Channel("rpm", 0, 2, false));
    table->addSymbol("", Channel("coolant", 2, 1, false, 0.5, -40.0));
    table->addSymbol("", Channel("pastReply", 56, 1, false)); // beyond the 56 bytes sent
    table->addSymbol("", Channel("reqFuel", 1, 1, false, 1.0, 0.0, true));
    table->addSymbol("", Expression("hot", "coolant > 50"));
    table->addSymbol("", Expression("fuel", "rpm * reqFuel"));
    table->getConstantValues().setText("reqFuel", "2");
    table->getConstantValues().resolve(*table);
    table->getLinkSettings().ochBlockSize = 56;
    std::unique_ptr<SymbolTable> owner(table);
    RTDataMgrSerial::Clock::time_point now{};
    RTDataMgrSerial input(&protocol, table, [&] { return now; });
    ValueMap values;
    input.setValueMap(&values);
    auto tick = [&](bool wait) {
        values.clear();
        for (const char* name : {"rpm", "coolant", "hot", "fuel", "pastReply", "reqFuel", "nosuch"})
            values[name] = 0;
        if (wait) {
            input.requestFetch();
            input.waitForFetch();
        }
        input.fillValueMap();
    };

    // Nothing fetched yet: no value at all, and what there is is stale.
    tick(false);
    for (const auto& entry : values)
        EXPECT_TRUE(RTDataMgr::IsNoValue(entry.second)) << entry.first;
    EXPECT_TRUE(input.IsStale());

    tick(true);
    EXPECT_EQ(input.getLastFetchResult(), 0);
    EXPECT_FALSE(input.IsStale());
    EXPECT_DOUBLE_EQ(values["rpm"], 3000.0);
    EXPECT_DOUBLE_EQ(values["coolant"], 80.0);
    EXPECT_DOUBLE_EQ(values["hot"], 1.0);
    EXPECT_DOUBLE_EQ(values["fuel"], 6000.0); // the file's constants stay beside each record
    for (const char* none : {"pastReply", "reqFuel", "nosuch"}) {
        SCOPED_TRACE(none);
        EXPECT_TRUE(RTDataMgr::IsNoValue(values[none]));
    }
    EXPECT_DOUBLE_EQ(input.GetValue("nosuch"), -1.0);
    EXPECT_EQ(input.getLinkState().kind, LinkState::Connected);

    // The ECU falls silent: the last values stay, stale from 1 s on.
    ecu.present = false;
    now += std::chrono::milliseconds(999);
    tick(true);
    EXPECT_EQ(input.getLastFetchResult(), TarnProtocol::kGaveUp);
    EXPECT_DOUBLE_EQ(values["rpm"], 3000.0);
    EXPECT_FALSE(input.IsStale());
    now += std::chrono::milliseconds(1);
    EXPECT_TRUE(input.IsStale());

    // It answers again with new values: live at once.
    ecu.present = true;
    ecu.block = {0x03, 0xE8, 100};
    tick(true);
    EXPECT_FALSE(input.IsStale());
    EXPECT_DOUBLE_EQ(values["rpm"], 1000.0);
    EXPECT_DOUBLE_EQ(values["coolant"], 30.0);
    // One byte too many, after a stall: the 56 before it pass as a block, and
    // the byte that comes after them, before the next request, withdraws it:
    // the record before is served again, as stale as its age.
    ecu.block = {0x07, 0xD0, 100};
    ecu.replyLengths = {57};
    ecu.stallAfter = 56;
    now += std::chrono::milliseconds(500);
    tick(true);
    EXPECT_DOUBLE_EQ(values["rpm"], 2000.0);
    ecu.present = false;
    now += std::chrono::milliseconds(600);
    tick(true);
    EXPECT_DOUBLE_EQ(values["rpm"], 1000.0);
    EXPECT_TRUE(input.IsStale()) << "1.1 s since the record served was fetched";
    EXPECT_EQ(input.getRefusedPercent(), 1) << "the withdrawn block, one of the last 100 replies";
}

TEST(RTDataMgrSerial, AnotherTableOnTheSameLinkServesOnlyItsOwnValues)
{
    EcuOnPort port;
    TarnProtocol& protocol = port.protocol;
    // The same channel in °C and in °F.
    auto tableIn = [](double scale, double trans, int blockSize) {
        auto table = std::make_unique<SymbolTable>();
        table->addSymbol("", Channel("coolant", 2, 1, false, scale, trans));
        table->getLinkSettings().ochBlockSize = blockSize;
        return table;
    };
    const std::unique_ptr<SymbolTable> celsius = tableIn(1.0, -40.0, 56);
    const std::unique_ptr<SymbolTable> fahrenheit = tableIn(1.8, -22.0, 56);
    const std::unique_ptr<SymbolTable> otherLink = tableIn(1.0, -40.0, 60);
    RTDataMgrSerial input(&protocol, celsius.get());
    std::vector<double> recorded; // as the listener saw them
    input.setRecordListener([&] { recorded.push_back(input.recordValue("coolant")); });
    ValueMap values;
    input.setValueMap(&values);
    const auto tick = [&] {
        values.clear();
        values["coolant"] = 0.0;
        input.fillValueMap();
        return values["coolant"];
    };
    const auto fetch = [&] {
        input.requestFetch();
        return input.waitForFetch();
    };

    ASSERT_EQ(fetch(), 0);
    EXPECT_DOUBLE_EQ(tick(), 160.0);
    const int opens = port.handler.getOpenCount();
    ASSERT_EQ(fetch(), 0); // not taken before the swap

    EXPECT_FALSE(input.setTable(otherLink.get()));
    ASSERT_TRUE(input.setTable(fahrenheit.get()));
    // The record fetched before is taken as it was decoded, and shown no more.
    EXPECT_EQ(recorded, (std::vector<double>{160.0, 160.0}));
    EXPECT_TRUE(RTDataMgr::IsNoValue(tick()));
    ASSERT_EQ(fetch(), 0);
    EXPECT_DOUBLE_EQ(tick(), (200.0 - 22.0) * 1.8);
    EXPECT_DOUBLE_EQ(recorded.back(), (200.0 - 22.0) * 1.8);
    EXPECT_EQ(port.handler.getOpenCount(), opens);
}
