// Not one false value from a line without a check byte: the ECU input, run
// tick after tick against an ECU behind a packet-delivering USB adapter that
// puts a noise byte in front of 30 % of its replies, serves only blocks the
// ECU sent. Every byte of the block is a channel, so a block shifted by the
// noise byte shows in the values served. The built-in firmware's link and a
// raw link of another firmware; then the same with the bytes after a block's
// length held back up to 20 ms.
//
// TARN_INTEGRITY_TICKS sets the ticks per run (default 50, for `make test`;
// the figure is taken with 1000: `make integrity`).
#include "definition/SymbolTable.h"
#include "ecu/RTDataMgrSerial.h"
#include "link/TarnProtocol.h"
#include "serial/SerialPortHandler.h"
#include "tests/integrity/PacketLine.h"
#include "tests/support/LogCapture.h"
#include "tests/support/SerialPortEnv.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

using namespace std::chrono_literals;

// A pause longer than this after a block's length was not the line's own
// doing but the test machine's: the ECU promised at most 20 ms.
constexpr auto kPromisedPause = 20ms;

long Ticks()
{
    const char* text = std::getenv("TARN_INTEGRITY_TICKS");
    const long ticks = text ? std::strtol(text, nullptr, 10) : 0;
    return ticks > 0 ? ticks : 50;
}

// A table of `size` one-byte channels b0, b1, ... over the whole block.
std::unique_ptr<SymbolTable> ByteChannels(int size)
{
    auto table = std::make_unique<SymbolTable>();
    for (int i = 0; i < size; ++i) {
        auto* symbol = new Symbol;
        symbol->setIdentity(wxString::Format("b%d", i), "", false, 0, i);
        symbol->setType(false, 1);
        symbol->setScaling(1.0, 0.0, 0.0, 0.0, 0);
        table->addSymbol("", symbol);
    }
    table->getLinkSettings().ochBlockSize = size;
    return table;
}

struct Firmware {
    std::string signature;
    std::string query;
    int blockSize = 0;
    std::mt19937 random{7};

    std::string operator()(const std::string& command)
    {
        if (command == query)
            return signature;
        if (command != "A")
            return "";
        std::string block;
        for (int i = 0; i < blockSize; ++i)
            block += static_cast<char>(random() & 0xFF);
        return block;
    }
};

struct Outcome {
    long fresh = 0;    // ticks that served another record than the tick before
    long wrong = 0;    // ticks that served a block the ECU never sent
    long excused = 0;  // ... after the machine stretched the pause past the promise
};

struct LineRun {
    const char* label; // the built-in firmware at 9600 baud, or a raw link at 115200
    bool builtIn;
    int baud;
    int holdBackMs;
};

Outcome TickAgainst(const LineRun& run, long ticks)
{
    TempDir dir;
    const std::string link = dir.file("ttyUSB");
    SerialPortEnv env(link);
    const int size = run.builtIn ? 56 : 100;
    std::unique_ptr<SymbolTable> table = ByteChannels(size);
    Firmware firmware;
    firmware.signature = run.builtIn ? kBuiltInSignature : "RAWECU 1.0";
    firmware.query = run.builtIn ? "S" : "Q";
    firmware.blockSize = size;
    if (!run.builtIn) {
        LinkSettings& settings = table->getLinkSettings();
        settings.queryCommand = "Q";
        settings.signature = firmware.signature;
        settings.hasSignature = true;
        settings.ochGetCommand = "A";
    }
    PacketLine::Faults faults;
    faults.baud = run.baud;
    faults.holdBackMs = run.holdBackMs;
    PacketLine line(link, faults, [&firmware](const std::string& c) { return firmware(c); });
    EXPECT_TRUE(line.ok());

    LogCapture quiet;
    TraceCapture traces;
    SerialPortHandler port;
    TarnProtocol protocol(&port);
    GenericLinkOptions options;
    options.baud = run.baud;
    RTDataMgrSerial input(&protocol, table.get(), {}, options);
    ValueMap values;
    input.setValueMap(&values);
    Outcome outcome;
    uint64_t lastSequence = 0;
    for (long tick = 0; tick < ticks; ++tick) {
        for (int i = 0; i < size; ++i)
            values[wxString::Format("b%d", i)] = 0.0;
        input.requestFetch();
        input.waitForFetch();
        input.fillValueMap();
        std::string served;
        for (int i = 0; i < size; ++i) {
            const double v = values[wxString::Format("b%d", i)];
            if (!std::isnan(v))
                served += static_cast<char>(static_cast<int>(v));
        }
        if (served.empty())
            continue;
        if (input.getRecordSequence() == lastSequence)
            continue; // judged already
        ++outcome.fresh;
        lastSequence = input.getRecordSequence();
        bool sent = false, stretched = false;
        for (const PacketLine::Reply& reply : line.replies()) {
            sent = sent || reply.own == served;
            stretched = stretched || (reply.line.compare(0, served.size(), served) == 0 &&
                                      reply.tail > kPromisedPause);
        }
        if (!sent)
            ++(stretched ? outcome.excused : outcome.wrong);
    }
    input.stop();
    return outcome;
}

} // namespace

class LineIntegrity : public ::testing::TestWithParam<LineRun> {};

TEST_P(LineIntegrity, NoFalseValueFromANoisyPacketLine)
{
    const LineRun& run = GetParam();
    const long ticks = Ticks();
    const auto start = std::chrono::steady_clock::now();
    const Outcome outcome = TickAgainst(run, ticks);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%s: %ld ticks in %.1f s, %ld fresh records, %ld wrong, %ld excused "
                "(pause over %lld ms)\n",
                run.label, ticks, took.count(), outcome.fresh, outcome.wrong, outcome.excused,
                static_cast<long long>(kPromisedPause.count()));
    EXPECT_EQ(outcome.wrong, 0);
    // A run that served little proves little: most noisy replies are refused
    // and fetched again.
    EXPECT_GE(outcome.fresh, ticks / 4);
    EXPECT_LE(outcome.excused, ticks / 10);
}

INSTANTIATE_TEST_SUITE_P(
    Links, LineIntegrity,
    ::testing::Values(LineRun{"BuiltIn", true, 9600, 0}, LineRun{"Raw", false, 115200, 0},
                      LineRun{"BuiltInHeldBack", true, 9600, 20},
                      LineRun{"RawHeldBack", false, 115200, 20}),
    [](const ::testing::TestParamInfo<LineRun>& param) { return std::string(param.param.label); });
