#include "tools/tarn-ecu-sim/GenericFirmware.h"

#include "link/EnvelopeFrame.h"
#include "tools/tarn-ecu-sim/SimLog.h"

#include <gtest/gtest.h>

namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::string numbered(size_t n, int first)
{
    std::string out;
    for (size_t i = 0; i < n; ++i)
        out += static_cast<char>((first + static_cast<int>(i)) & 0xFF);
    return out;
}

LinkSettings framed()
{
    LinkSettings s;
    s.queryCommand = "Q";
    s.versionInfo = "S";
    s.signature = "speeduino 202405-dev";
    s.hasSignature = true;
    s.ochGetCommand = "r\\$tsCanId\\x30%2o%2c";
    s.endianness = ByteOrder::Little;
    s.messageEnvelopeFormat = "msEnvelope_1.0";
    return s;
}

struct Served {
    CommandStart start;
    std::string reply;
};

Served Serve(GenericFirmware& firmware, const std::string& received)
{
    SimLog log;
    Served out;
    const auto* p = reinterpret_cast<const uint8_t*>(received.data());
    out.start = firmware.match(p, received.size());
    if (out.start.kind == CommandStart::Complete)
        out.reply = firmware.serve(p, out.start.length, log).bytes;
    return out;
}

} // namespace

TEST(GenericFirmware, FramedRequestsAndTheirStatus)
{
    FaultInjector faults(FaultSettings(), 1);
    int blocks = 0;
    GenericFirmware firmware(framed(), 130, 115200,
                             [&blocks] { return numbered(130, 10 * ++blocks); }, faults);
    ASSERT_EQ(firmware.problem(), "");
    std::string badCrc = encodeFrame("Q");
    badCrc.back() ^= 1;
    const struct {
        const char* label;
        std::string request;
        CommandStart::Kind kind;
        std::string reply;
    } cases[] = {
        {"query", encodeFrame("Q"), CommandStart::Complete, encodeFrame(std::string(1, '\0') + "speeduino 202405-dev")},
        {"version", encodeFrame("S"), CommandStart::Complete,
         encodeFrame(std::string(1, '\0') + "tarn-ecu-sim as speeduino 202405-dev")},
        {"whole block", encodeFrame(bytes({'r', 0, 0x30, 0, 0, 130, 0})), CommandStart::Complete,
         encodeFrame("\x01" + numbered(130, 10))},
        // A part further on comes from the same block as the part at offset 0.
        {"a part", encodeFrame(bytes({'r', 0, 0x30, 126, 0, 4, 0})), CommandStart::Complete,
         encodeFrame("\x01" + numbered(4, 136))},
        {"beyond the block", encodeFrame(bytes({'r', 0, 0x30, 127, 0, 4, 0})),
         CommandStart::Complete, encodeFrame(bytes({0x84}))},
        {"bad request CRC", badCrc, CommandStart::Complete, encodeFrame(bytes({0x82}))},
        {"unknown command", encodeFrame("A"), CommandStart::Complete, encodeFrame(bytes({0x83}))},
        {"another CAN id", encodeFrame(bytes({'r', 1, 0x30, 0, 0, 4, 0})), CommandStart::Complete,
         encodeFrame(bytes({0x83}))},
        {"length only", encodeFrame("Q").substr(0, 2), CommandStart::Prefix, ""},
        {"length 0", bytes({0, 0, 'Q'}), CommandStart::Garbage, ""},
        {"length beyond any request", bytes({0x10, 0, 'Q'}), CommandStart::Garbage, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Served served = Serve(firmware, c.request);
        EXPECT_EQ(served.start.kind, c.kind);
        EXPECT_EQ(served.reply, c.reply);
    }
    EXPECT_EQ(blocks, 1);
}

TEST(GenericFirmware, RawCommandsWithPlaceholders)
{
    LinkSettings settings;
    settings.queryCommand = "Q";
    settings.signature = std::string(1, '\x14');
    settings.hasSignature = true;
    settings.ochGetCommand = "O%2o%2c";
    settings.endianness = ByteOrder::Big;
    FaultInjector faults(FaultSettings(), 1);
    GenericFirmware firmware(settings, 22, 9600, [] { return numbered(22, 0); }, faults);
    const struct {
        const char* label;
        std::string received;
        CommandStart::Kind kind;
        size_t length;
        std::string reply;
    } cases[] = {
        {"query", "Q", CommandStart::Complete, 1, "\x14"},
        {"start of a request", bytes({'O', 0, 2}), CommandStart::Prefix, 3, ""},
        {"a part, big-endian", bytes({'O', 0, 2, 0, 3, 'Q'}), CommandStart::Complete, 5,
         bytes({2, 3, 4})},
        {"beyond the block: no answer", bytes({'O', 0, 20, 0, 3}), CommandStart::Complete, 5, ""},
        {"garbage", "xQ", CommandStart::Garbage, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Served served = Serve(firmware, c.received);
        EXPECT_EQ(served.start.kind, c.kind);
        EXPECT_EQ(served.start.length, c.length);
        EXPECT_EQ(served.reply, c.reply);
    }
}

TEST(GenericFirmware, FrameFaultsSpoilOnlyRuntimeData)
{
    const std::string request = encodeFrame(bytes({'r', 0, 0x30, 0, 0, 130, 0}));
    const struct {
        const char* label;
        FaultSettings settings;
        ReplyFrame::Outcome outcome;
        size_t dataLength; // of a complete frame
    } cases[] = {
        {"bad CRC", [] { FaultSettings f; f.badCrc = 1; return f; }(), ReplyFrame::BadCrc, 0},
        {"bad status", [] { FaultSettings f; f.badStatus = 1; return f; }(), ReplyFrame::ErrorStatus, 0},
        {"short frame", [] { FaultSettings f; f.shortFrame = 1; return f; }(), ReplyFrame::Complete, 126},
        {"long frame", [] { FaultSettings f; f.longFrame = 1; return f; }(), ReplyFrame::ImpossibleLength, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FaultInjector faults(c.settings, 3);
        GenericFirmware firmware(framed(), 130, 115200, [] { return numbered(130, 0); }, faults);
        EXPECT_EQ(Serve(firmware, encodeFrame("Q")).reply,
                  encodeFrame(std::string(1, '\0') + "speeduino 202405-dev"));
        const std::string reply = Serve(firmware, request).reply;
        const ReplyFrame frame =
            readReplyFrame(reinterpret_cast<const unsigned char*>(reply.data()), reply.size(), 130);
        EXPECT_EQ(frame.outcome, c.outcome) << frame.problem;
        if (frame.outcome == ReplyFrame::Complete) {
            EXPECT_GE(frame.dataLength, c.dataLength);
            EXPECT_LT(frame.dataLength, 130u);
        }
    }
}

TEST(GenericFirmware, PagesRawAndFramed)
{
    const struct {
        const char* label;
        bool framed;
        std::string request;
        std::string reply;
    } cases[] = {
        {"raw part of page 2", false, bytes({'r', 0, 5, 0, 1, 0, 2}), bytes({21, 22})},
        {"raw whole page 1", false, "V", numbered(4, 10)},
        {"raw activation: no answer", false, bytes({'P', 0, 5}), ""},
        {"raw beyond page 2: no answer", false, bytes({'r', 0, 5, 0, 2, 0, 2}), ""},
        {"framed part", true, encodeFrame(bytes({'r', 0, 5, 0, 0, 0, 3})),
         encodeFrame(bytes({0x02, 20, 21, 22}))},
        {"framed activation", true, encodeFrame(bytes({'P', 0, 5})), encodeFrame(bytes({0x00}))},
        {"framed beyond the page", true, encodeFrame(bytes({'r', 0, 5, 0, 2, 0, 2})),
         encodeFrame(bytes({0x84}))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        LinkSettings settings = framed();
        if (!c.framed)
            settings.messageEnvelopeFormat.clear();
        settings.nPages = 2;
        settings.pageSizes = {4, 3};
        settings.pageIdentifiers = {"\\x00\\x04", "\\x00\\x05"};
        settings.pageReadCommands = {"V", "r%2i%2o%2c"};
        settings.pageActivates = {"", "P%2i"};
        settings.endianness = ByteOrder::Big;
        FaultInjector faults(FaultSettings(), 1);
        GenericFirmware firmware(settings, 8, 115200, [] { return numbered(8, 0); }, faults,
                                 {numbered(4, 10), numbered(3, 20)});
        ASSERT_EQ(firmware.problem(), "");
        const Served served = Serve(firmware, c.request);
        EXPECT_EQ(served.start.kind, CommandStart::Complete);
        EXPECT_EQ(served.reply, c.reply);
    }
}
