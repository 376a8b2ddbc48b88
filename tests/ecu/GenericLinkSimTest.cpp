// The generic link against the simulator on a real pseudo-terminal, with the
// real definition files of other firmwares: right values end to end, and
// spoiled replies refused, never handed on.
#include "definition/IniParser.h"
#include "ecu/BlockDecoder.h"
#include "ecu/PageDecoder.h"
#include "gaugemodel/GaugeDescChooser.h"
#include "link/GenericLink.h"
#include "ecu/RTDataMgrSerial.h"
#include "serial/SerialPortHandler.h"
#include "link/TarnProtocol.h"
#include "tests/support/SimProcess.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

const std::string kFixedValues = TARN_TEST_DATA_DIR "/ecu/fixtures/real-ecus.log";

std::string RealIni(const char* name)
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    return std::string(env && *env ? env : TARN_REALWORLD_DIR) + "/ini/" + name;
}

std::unique_ptr<SymbolTable> Load(const std::string& path)
{
    wxLogNull quiet;
    int result = -1;
    std::unique_ptr<SymbolTable> table(
        loadDefinitionFileFrom(wxString::FromUTF8(path), nullptr, &result));
    return result == 0 ? std::move(table) : nullptr;
}

struct Expected {
    const char* name;
    double value;
};

} // namespace

TEST(GenericLinkSim, EveryRealFileEndToEnd)
{
    const struct {
        const char* file;
        std::vector<Expected> values;
    } cases[] = {
        // Framed, little-endian, 130 bytes in one part.
        {"speeduino_reference.ini", {{"rpm", 1870}, {"map", 87}, {"secl", 7}}},
        // Framed, little-endian, 1,248 bytes in parts of 500.
        {"rusefi_mre_f4.ini", {{"RPMValue", 1870}, {"MAPValue", 87}, {"seconds", 263}}},
        // Raw, big-endian, 169 bytes.
        {"ms2extra_Serial321.ini", {{"rpm", 1870}, {"map", 87}, {"seconds", 263}}},
        // Raw, big-endian, 22 bytes; a one-byte signature.
        {"ms1_megasquirt-I_BnG_2.0-3.0.ini", {{"rpm", 1800}, {"rpm100", 18}, {"mapADC", 100}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = RealIni(c.file);
        std::unique_ptr<SymbolTable> table = Load(path);
        if (!table)
            GTEST_SKIP() << "no real definition files at " << path;
        SimProcess sim({"--ini", path, "--datalog", kFixedValues});
        ASSERT_TRUE(sim.ok());
        LogCapture log;
        SerialPortHandler handler;
        LinkSettings settings = table->getLinkSettings();
        settings.delayAfterPortOpen = 0; // nothing restarts on a pseudo-terminal
        GenericLink link(handler, settings, table->getBlockSize());
        std::vector<unsigned char> block;
        for (int fetch = 0; fetch < 2; ++fetch)
            ASSERT_EQ(link.fetch(block), 0) << link.lastProblem();
        ASSERT_EQ(block.size(), static_cast<size_t>(table->getBlockSize()));
        BlockDecoder decoder(table.get());
        decoder.decode(block.data(), block.size());
        for (const Expected& e : c.values) {
            const std::optional<double> value = decoder.value(e.name);
            ASSERT_TRUE(value.has_value()) << e.name;
            EXPECT_NEAR(*value, e.value, 1e-9) << e.name;
        }
        // The firmware was asked who it is once, then for data.
        EXPECT_EQ(sim.logCount("the query: signature"), 1) << sim.log();
        EXPECT_EQ(sim.logCount("runtime data, offset 0,"), 2);
    }
}

TEST(GenericLinkSim, SpoiledRepliesAreRefused)
{
    const std::string speeduino = RealIni("speeduino_reference.ini");
    const std::string ms2 = RealIni("ms2extra_Serial321.ini");
    std::unique_ptr<SymbolTable> framed = Load(speeduino);
    std::unique_ptr<SymbolTable> raw = Load(ms2);
    if (!framed || !raw)
        GTEST_SKIP() << "no real definition files at " << speeduino;
    const struct {
        const char* label;
        SymbolTable* table;
        std::string ini;
        std::vector<std::string> options;
        int code;
        const char* problem;
    } cases[] = {
        {"frame longer than the block", framed.get(), speeduino, {"--long-frame", "1"},
         GenericLink::kBadReply, "is above the largest possible (131: a status byte and 130"},
        {"CRC mismatch", framed.get(), speeduino, {"--bad-crc", "1"}, GenericLink::kBadReply,
         "refused: CRC mismatch"},
        {"error status", framed.get(), speeduino, {"--bad-status", "1"}, GenericLink::kBadReply,
         "refused: error status 0x85 (busy)"},
        {"short frame", framed.get(), speeduino, {"--short-frame", "1"}, GenericLink::kBadReply,
         "bytes of data where 130 were asked"},
        {"another firmware", framed.get(), speeduino, {"--signature", "speeduino 202310"},
         GenericLink::kWrongFirmware, "wrong firmware: it answers \"speeduino 202310\""},
        {"raw reply too long", raw.get(), ms2, {"--long", "1"}, GenericLink::kBadReply,
         "longer than the 169 bytes asked"},
        {"another raw firmware", raw.get(), ms2, {"--signature", "MS2Extra Serial310 "},
         GenericLink::kWrongFirmware, "wrong firmware"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<std::string> options = {"--ini", c.ini, "--datalog", kFixedValues};
        options.insert(options.end(), c.options.begin(), c.options.end());
        SimProcess sim(options);
        ASSERT_TRUE(sim.ok());
        LogCapture log;
        SerialPortHandler handler;
        LinkSettings settings = c.table->getLinkSettings();
        settings.delayAfterPortOpen = 0;
        GenericLink link(handler, settings, c.table->getBlockSize());
        std::vector<unsigned char> block(3, 0xEE);
        for (int fetch = 0; fetch < 2; ++fetch) {
            EXPECT_EQ(link.fetch(block), c.code);
            EXPECT_NE(link.lastProblem().find(c.problem), std::string::npos) << link.lastProblem();
        }
        EXPECT_EQ(block, std::vector<unsigned char>(3, 0xEE));
    }
}

TEST(GenericLinkSim, ALineFullOfFaultsNeverYieldsAWrongValue)
{
    const std::string speeduino = RealIni("speeduino_reference.ini");
    std::unique_ptr<SymbolTable> table = Load(speeduino);
    if (!table)
        GTEST_SKIP() << "no real definition files at " << speeduino;
    SimProcess sim({"--ini", speeduino, "--datalog", kFixedValues, "--seed", "7", "--noise", "0.15",
                    "--drop", "0.1", "--short", "0.1", "--long", "0.1", "--bad-crc", "0.1",
                    "--bad-status", "0.1", "--short-frame", "0.1", "--long-frame", "0.1"});
    ASSERT_TRUE(sim.ok());
    LogCapture log;
    SerialPortHandler handler;
    LinkSettings settings = table->getLinkSettings();
    settings.delayAfterPortOpen = 0;
    settings.blockReadTimeout = 100; // a dropped reply costs no more than that
    GenericLink link(handler, settings, table->getBlockSize());
    BlockDecoder decoder(table.get());
    int good = 0, refused = 0;
    for (int fetch = 0; fetch < 40; ++fetch) {
        std::vector<unsigned char> block;
        if (link.fetch(block) != 0) {
            ++refused;
            EXPECT_TRUE(block.empty());
            continue;
        }
        ++good;
        decoder.decode(block.data(), block.size());
        EXPECT_EQ(decoder.value("rpm"), 1870.0);
        EXPECT_EQ(decoder.value("map"), 87.0);
    }
    EXPECT_GT(good, 0);
    EXPECT_GT(refused, 0);
}

TEST(GenericLinkSim, TheEcuInputTakesOnlyGoodBlocksAndSaysWhy)
{
    const std::string speeduino = RealIni("speeduino_reference.ini");
    std::unique_ptr<SymbolTable> table = Load(speeduino);
    if (!table)
        GTEST_SKIP() << "no real definition files at " << speeduino;
    table->getLinkSettings().delayAfterPortOpen = 0;
    const struct {
        const char* label;
        std::vector<std::string> options;
        int result;
        LinkState::Kind kind;
        const char* says;
    } cases[] = {
        {"sound line", {}, 0, LinkState::Connected, "ECU connected, 115200 baud"},
        {"bad CRC", {"--bad-crc", "1"}, GenericLink::kBadReply, LinkState::Refused,
         "reply to the runtime data request \"r\\x00\\x30\\x00\\x00\\x82\\x00\" refused: CRC "
         "mismatch (sent 0x"},
        {"error status", {"--bad-status", "1"}, GenericLink::kBadReply, LinkState::Refused,
         "refused: error status 0x85 (busy)"},
        {"wrong firmware", {"--signature", "rusEFI 2022"}, GenericLink::kWrongFirmware,
         LinkState::WrongFirmware, "wrong firmware: it answers \"rusEFI 2022\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<std::string> options = {"--ini", speeduino, "--datalog", kFixedValues};
        options.insert(options.end(), c.options.begin(), c.options.end());
        SimProcess sim(options);
        ASSERT_TRUE(sim.ok());
        LogCapture log;
        SerialPortHandler handler;
        TarnProtocol protocol(&handler);
        RTDataMgrSerial input(&protocol, table.get());
        ValueMap values;
        input.setValueMap(&values);
        values["rpm"] = values["map"] = 0;
        ASSERT_TRUE(input.requestFetch());
        EXPECT_EQ(input.waitForFetch(), c.result);
        input.fillValueMap();
        const LinkState state = input.getLinkState();
        EXPECT_EQ(state.kind, c.kind);
        EXPECT_NE(state.describe().find(c.says), std::string::npos) << state.describe();
        if (c.result == 0) {
            EXPECT_EQ(values["rpm"], 1870.0);
            EXPECT_EQ(values["map"], 87.0);
            EXPECT_FALSE(input.IsStale());
        } else {
            EXPECT_TRUE(RTDataMgr::IsNoValue(values["rpm"]));
            EXPECT_TRUE(RTDataMgr::IsNoValue(values["map"]));
            EXPECT_TRUE(input.IsStale());
        }
    }
}

TEST(GenericLinkSim, PagesReadWhileTheGaugesStayLive)
{
    const std::string speeduino = RealIni("speeduino_reference.ini");
    std::unique_ptr<SymbolTable> table = Load(speeduino);
    if (!table)
        GTEST_SKIP() << "no real definition files at " << speeduino;
    table->getLinkSettings().delayAfterPortOpen = 0;
    // The simulator serves the file's defaults; they come back through the pages.
    const ValueMap defaults = table->getConstantValues().numbers();
    SimProcess sim({"--ini", speeduino, "--datalog", kFixedValues});
    ASSERT_TRUE(sim.ok());
    LogCapture log;
    SerialPortHandler handler;
    TarnProtocol protocol(&handler);
    RTDataMgrSerial input(&protocol, table.get());
    ASSERT_EQ(input.pageCount(), 15);
    std::shared_ptr<const EcuWorker::Pages> pages;
    int fetches = 0;
    while (!pages) {
        ASSERT_TRUE(input.requestFetch());
        ASSERT_EQ(input.waitForFetch(), 0) << input.getLinkState().describe();
        ++fetches;
        pages = input.takePages();
    }
    EXPECT_EQ(pages->readNow, 15);
    EXPECT_EQ(pages->problem, "");
    // Fetches were served between the pages, not only before them.
    EXPECT_GE(fetches, 2);
    const PageValues values = decodePages(*table, pages->bytes);
    EXPECT_TRUE(values.pastPage.empty());
    size_t compared = 0;
    for (const auto& number : values.numbers) {
        const auto found = defaults.find(number.first);
        if (found == defaults.end())
            continue;
        const Symbol* symbol = table->findSymbol(number.first);
        if (symbol->Scale == 0)
            continue; // a scale written as an expression: no step to compare in
        // Within one step of the field (the default need not be a whole step).
        EXPECT_NEAR(number.second, found->second, std::abs(symbol->Scale) + 1e-9) << number.first;
        ++compared;
    }
    EXPECT_GT(compared, 100u);
}

TEST(GenericLinkSim, ATuneServedSetsTheRevCounterLimit)
{
    const std::string rusefi = RealIni("rusefi_mre_f4.ini");
    std::unique_ptr<SymbolTable> table = Load(rusefi);
    if (!table)
        GTEST_SKIP() << "no real definition files at " << rusefi;
    TempDir dir;
    const std::string tune = dir.write(
        "car.msq", "<msq><page><constant name=\"rpmHardLimit\">7000</constant></page></msq>");
    SimProcess sim({"--ini", rusefi, "--tune", tune, "--datalog", kFixedValues});
    ASSERT_TRUE(sim.ok());
    LogCapture log;
    SerialPortHandler handler;
    LinkSettings settings = table->getLinkSettings();
    settings.delayAfterPortOpen = 0;
    GenericLink link(handler, settings, table->getBlockSize());
    std::vector<std::vector<unsigned char>> pages(1);
    std::string why;
    ASSERT_EQ(link.readPage(0, pages[0], why), 0) << why;
    applyPageValues(decodePages(*table, pages), table->getConstantValues());
    EXPECT_TRUE(table->constantsChanged());
    const GaugeDescChooser gauges(&table->getGauges());
    const TARNGaugeDesc* rpm = gauges.At(gauges.FindByName("RPMGauge"));
    ASSERT_NE(rpm, nullptr);
    EXPECT_EQ(rpm->getMaxValue(), 9000.0);
}

TEST(GenericLinkSim, OnlyTheChannelsInUseAreFetched)
{
    const std::string speeduino = RealIni("speeduino_reference.ini");
    std::unique_ptr<SymbolTable> table = Load(speeduino);
    if (!table)
        GTEST_SKIP() << "no real definition files at " << speeduino;
    table->getLinkSettings().delayAfterPortOpen = 0;
    SimProcess sim({"--ini", speeduino, "--datalog", kFixedValues});
    ASSERT_TRUE(sim.ok());
    LogCapture log;
    SerialPortHandler handler;
    TarnProtocol protocol(&handler);
    RTDataMgrSerial input(&protocol, table.get());
    ValueMap values;
    input.setValueMap(&values);
    const auto tick = [&] {
        values.clear();
        values["rpm"] = values["map"] = 0;
        input.Update();
        EXPECT_EQ(input.waitForFetch(), 0);
        input.fillValueMap();
    };

    // map (U16 at 4) and rpm (U16 at 14): 8 bytes apart, one request.
    tick();
    EXPECT_EQ(input.getWantedRanges(), (ByteRanges{{4, 12}}));
    EXPECT_EQ(values["rpm"], 1870.0);
    EXPECT_EQ(values["map"], 87.0);
    EXPECT_EQ(sim.logCount("runtime data, offset 4, count 12"), 1) << sim.log();
    // secl (U08 at 0) was not fetched: no value, never a zero.
    EXPECT_TRUE(RTDataMgr::IsNoValue(input.recordValue("secl")));

    // A lamp reads seconds, an expression channel over secl: from the next tick on.
    input.ExpressionValue("seconds > 3");
    tick();
    EXPECT_EQ(input.getWantedRanges(), (ByteRanges{{0, 16}}));
    EXPECT_EQ(input.recordValue("secl"), 7.0);
    EXPECT_EQ(input.ExpressionValue("seconds > 3"), 1.0);

    // Wanted whole (a recording): every channel again.
    input.setWholeBlock(true);
    tick();
    EXPECT_TRUE(input.getWantedRanges().empty());
    EXPECT_EQ(sim.logCount("runtime data, offset 0, count 130"), 1) << sim.log();
    EXPECT_FALSE(RTDataMgr::IsNoValue(input.recordValue("coolant")));
}
