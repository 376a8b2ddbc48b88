// The generic link against a scripted line: framed and raw firmwares, blocks
// in parts, and every kind of reply that must be refused.
#include "link/EnvelopeFrame.h"
#include "link/GenericLink.h"
#include "serial/SerialPortHandler.h"
#include "tests/support/ScriptedLine.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

const char* const kSignature = "speeduino 202405-dev";

std::string text(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

std::string pattern(size_t n, int seed)
{
    std::string out;
    for (size_t i = 0; i < n; ++i)
        out += static_cast<char>((i * 7 + static_cast<size_t>(seed)) & 0xFF);
    return out;
}

LinkSettings framedSettings()
{
    LinkSettings s;
    s.queryCommand = "Q";
    s.signature = kSignature;
    s.hasSignature = true;
    s.ochGetCommand = "r\\$tsCanId\\x30%2o%2c";
    s.ochBlockSize = 130;
    s.blockingFactor = 251;
    s.endianness = ByteOrder::Little;
    s.messageEnvelopeFormat = "msEnvelope_1.0";
    s.blockReadTimeout = 2000;
    return s;
}

LinkSettings rawSettings()
{
    LinkSettings s;
    s.queryCommand = "Q";
    s.signature = "MS2Extra Serial321 ";
    s.hasSignature = true;
    s.ochGetCommand = "A";
    s.ochBlockSize = 169;
    return s;
}

// A framed firmware: "Q" gives the signature, "r" + CAN id + 0x30 + offset
// and count (little-endian) gives that part of `block`. `spoil` may change
// any reply frame.
struct FramedEcu {
    std::string signature = kSignature;
    std::string block = pattern(130, 3);
    std::function<std::string(const std::string& payload, std::string frame)> spoil;

    std::string operator()(const std::string& written) const
    {
        const auto* bytes = reinterpret_cast<const unsigned char*>(written.data());
        const Frame frame = readFrame(bytes, written.size(), 64);
        if (frame.outcome != Frame::Complete)
            return encodeFrame(text({0x8D}));
        const std::string payload = written.substr(2, frame.payloadLength);
        std::string reply;
        if (payload == "Q") {
            reply = encodeFrame(std::string(1, '\0') + signature);
        } else if (payload.size() == 7 && payload[0] == 'r' && payload[1] == 0 && payload[2] == 0x30) {
            const size_t offset = static_cast<unsigned char>(payload[3]) |
                                  static_cast<unsigned char>(payload[4]) << 8;
            const size_t count = static_cast<unsigned char>(payload[5]) |
                                 static_cast<unsigned char>(payload[6]) << 8;
            reply = encodeFrame("\x01" + block.substr(offset, count));
        } else {
            reply = encodeFrame(text({0x83}));
        }
        return spoil ? spoil(payload, reply) : reply;
    }
};

struct Client {
    LogCapture log;
    ScriptedLineState line;
    SerialPortHandler handler{[this] { return new ScriptedLine(line); }};
};

} // namespace

TEST(GenericLink, FramedFetch)
{
    Client client;
    FramedEcu ecu;
    client.line.answer = std::ref(ecu);
    GenericLink link(client.handler, framedSettings(), 130);
    ASSERT_EQ(link.settingsProblem(), "");
    std::vector<unsigned char> block;
    ASSERT_EQ(link.fetch(block), 0) << link.lastProblem();
    EXPECT_EQ(std::string(block.begin(), block.end()), ecu.block);
    ASSERT_EQ(link.fetch(block), 0) << link.lastProblem();
    // The query once, then one request per fetch: offset 0, count 130, little-endian.
    const std::string request = encodeFrame(text({'r', 0, 0x30, 0, 0, 130, 0}));
    EXPECT_EQ(client.line.written,
              (std::vector<std::string>{encodeFrame("Q"), request, request}));
    EXPECT_EQ(client.line.speeds, std::vector<int>{115200});
}

TEST(GenericLink, BlockInParts)
{
    Client client;
    FramedEcu ecu;
    ecu.block = pattern(1248, 5);
    client.line.answer = std::ref(ecu);
    LinkSettings settings = framedSettings();
    settings.ochGetCommand = "O%2o%2c";
    settings.blockingFactor = 500;
    // This firmware answers "O" requests in the same way as "r" ones.
    ecu.spoil = [&ecu](const std::string& payload, std::string frame) {
        if (payload.size() != 5 || payload[0] != 'O')
            return frame;
        const size_t offset = static_cast<unsigned char>(payload[1]) |
                              static_cast<unsigned char>(payload[2]) << 8;
        const size_t count = static_cast<unsigned char>(payload[3]) |
                             static_cast<unsigned char>(payload[4]) << 8;
        return encodeFrame("\x01" + ecu.block.substr(offset, count));
    };
    GenericLinkOptions options;
    options.baud = 38400;
    GenericLink link(client.handler, settings, 1248, options);
    EXPECT_EQ(link.partSize(), 500);
    std::vector<unsigned char> block;
    ASSERT_EQ(link.fetch(block), 0) << link.lastProblem();
    EXPECT_EQ(std::string(block.begin(), block.end()), ecu.block);
    EXPECT_EQ(client.line.written,
              (std::vector<std::string>{encodeFrame("Q"), encodeFrame(text({'O', 0, 0, 0xF4, 1})),
                                        encodeFrame(text({'O', 0xF4, 1, 0xF4, 1})),
                                        encodeFrame(text({'O', 0xE8, 3, 0xF8, 0}))}));
    EXPECT_EQ(client.line.speeds, std::vector<int>{38400});
}

TEST(GenericLink, RefusedFramedRepliesAreNeverHandedOn)
{
    using Spoil = std::function<std::string(const std::string&, std::string)>;
    auto onBlock = [](std::function<std::string(std::string)> change) -> Spoil {
        return [change](const std::string& payload, std::string frame) {
            return payload == "Q" ? frame : change(frame);
        };
    };
    const struct {
        const char* label;
        Spoil spoil;
        std::string signature;
        int code;
        const char* problem;
    } cases[] = {
        {"frame longer than the block",
         onBlock([](std::string) { return encodeFrame("\x01" + pattern(131, 1)); }), kSignature,
         GenericLink::kBadReply,
         "frame length 132 is above the largest possible (131: a status byte and 130 bytes of data)"},
        {"CRC mismatch",
         onBlock([](std::string f) {
             f.back() ^= 0x10;
             return f;
         }),
         kSignature, GenericLink::kBadReply, "refused: CRC mismatch (sent 0x"},
        {"error status", onBlock([](std::string) { return encodeFrame(text({0x85})); }),
         kSignature, GenericLink::kBadReply, "refused: error status 0x85 (busy)"},
        {"short frame", onBlock([](std::string) { return encodeFrame("\x01" + pattern(126, 1)); }),
         kSignature, GenericLink::kBadReply,
         "refused: it carries 126 bytes of data where 130 were asked"},
        {"frame cut off", onBlock([](std::string f) { return f.substr(0, 50); }), kSignature,
         GenericLink::kNoReply, "stops after 50 of 137 bytes"},
        {"no reply", onBlock([](std::string) { return std::string(); }), kSignature,
         GenericLink::kNoReply, "nothing came within 2000 ms of the runtime data request"},
        {"another firmware", nullptr, "speeduino 202310", GenericLink::kWrongFirmware,
         "wrong firmware: it answers \"speeduino 202310\" to the query \"Q\", the definition file "
         "expects \"speeduino 202405-dev\""},
        {"error status to the query", [](const std::string&, std::string) { return encodeFrame(text({0x83})); },
         kSignature, GenericLink::kBadReply, "reply to the query \"Q\" refused: error status 0x83"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Client client;
        FramedEcu ecu;
        ecu.spoil = c.spoil;
        ecu.signature = c.signature;
        client.line.answer = std::ref(ecu);
        GenericLink link(client.handler, framedSettings(), 130);
        std::vector<unsigned char> block(4, 0xEE);
        EXPECT_EQ(link.fetch(block), c.code);
        EXPECT_EQ(block, std::vector<unsigned char>(4, 0xEE));
        EXPECT_NE(link.lastProblem().find(c.problem), std::string::npos) << link.lastProblem();
        // Once the line is sound again the firmware is asked who it is before
        // anything is taken from it.
        ecu.spoil = nullptr;
        ecu.signature = kSignature;
        client.line.written.clear();
        ASSERT_EQ(link.fetch(block), 0) << link.lastProblem();
        EXPECT_EQ(block.size(), 130u);
        EXPECT_EQ(link.lastProblem(), "");
        ASSERT_EQ(client.line.written.size(), 2u);
        EXPECT_EQ(client.line.written[0], encodeFrame("Q"));
    }
}

TEST(GenericLink, RawReplies)
{
    const std::string block = pattern(169, 9);
    const std::string signature = "MS2Extra Serial321 ";
    const struct {
        const char* label;
        std::string queryReply;
        std::string blockReply;
        int code;
        const char* problem;
    } cases[] = {
        // This firmware ends its signature with a zero byte the file does not show.
        {"good", signature + '\0', block, 0, ""},
        {"longer", signature, block + "xy", GenericLink::kBadReply,
         "refused: it is longer than the 169 bytes asked"},
        {"shorter", signature, block.substr(0, 160), GenericLink::kBadReply,
         "refused: 160 of 169 bytes came"},
        {"silent", signature, "", GenericLink::kNoReply,
         "nothing came within 115 ms of the runtime data request \"A\""},
        {"another firmware", "MS2Extra Serial310 ", block, GenericLink::kWrongFirmware,
         "wrong firmware: it answers \"MS2Extra Serial310 \""},
        {"signature cut short", "MS2Ex", block, GenericLink::kNoReply,
         "the reply to the query \"Q\" stops after 5 of 19 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Client client;
        client.line.answer = [&c](const std::string& written) {
            return written == "Q" ? c.queryReply : written == "A" ? c.blockReply : std::string();
        };
        GenericLink link(client.handler, rawSettings(), 169);
        std::vector<unsigned char> got;
        EXPECT_EQ(link.fetch(got), c.code);
        EXPECT_NE(link.lastProblem().find(c.problem), std::string::npos) << link.lastProblem();
        if (c.code == 0)
            EXPECT_EQ(std::string(got.begin(), got.end()), block);
        else
            EXPECT_TRUE(got.empty());
    }
}

TEST(GenericLink, UnusableSettingsAreRefusedBeforeTalking)
{
    const struct {
        const char* label;
        std::function<void(LinkSettings&)> change;
        int32_t blockSize;
        const char* problem;
    } cases[] = {
        {"bad escape", [](LinkSettings& s) { s.ochGetCommand = "r\\q"; }, 130,
         "ochGetCommand r\\q: bad escape \\q at character 2"},
        {"count that does not fit its place",
         [](LinkSettings& s) {
             s.ochGetCommand = "O%o%c";
             s.blockingFactor = 0;
         },
         300, "ochGetCommand O%o%c: count 300 does not fit in 1 byte at character 4"},
        {"no block size", [](LinkSettings&) {}, 0, "the runtime data block's size 0 is impossible"},
        {"block size beyond a count", [](LinkSettings&) {}, 70000,
         "the runtime data block's size 70000 is impossible"},
        {"no signature", [](LinkSettings& s) { s.hasSignature = false; }, 130,
         "the definition file gives no signature"},
        {"no runtime data command", [](LinkSettings& s) { s.ochGetCommand.clear(); }, 130,
         "the definition file gives no ochGetCommand"},
        {"unknown envelope", [](LinkSettings& s) { s.messageEnvelopeFormat = "msEnvelope_2.0"; },
         130, "messageEnvelopeFormat msEnvelope_2.0 is not supported"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Client client;
        LinkSettings settings = framedSettings();
        c.change(settings);
        GenericLink link(client.handler, settings, c.blockSize);
        EXPECT_EQ(link.settingsProblem().rfind(c.problem, 0), 0u) << link.settingsProblem();
        std::vector<unsigned char> block;
        EXPECT_EQ(link.fetch(block), GenericLink::kBadSettings);
        EXPECT_EQ(link.lastProblem(), link.settingsProblem());
        EXPECT_TRUE(client.line.written.empty());
    }
}

TEST(GenericLink, TimeLimitsOfTheFile)
{
    // The wait for a reply is the file's blockReadTimeout, never less than the
    // reply's time on the line plus 20 ms; without one, the line time plus 100 ms.
    const struct {
        const char* label;
        int baud;
        int32_t blockReadTimeout;
        const char* problem;
    } limits[] = {
        {"the file's limit", 115200, 2000, "nothing came within 2000 ms"},
        // "A" and 169 bytes at 9600 baud: 177.1 ms on the line.
        {"a limit shorter than the line takes", 9600, 10, "nothing came within 198 ms"},
        {"no limit in the file", 9600, -1, "nothing came within 278 ms"},
    };
    for (const auto& c : limits) {
        SCOPED_TRACE(c.label);
        Client client;
        client.line.answer = [](const std::string& written) {
            return written == "Q" ? std::string("MS2Extra Serial321 ") : std::string();
        };
        LinkSettings settings = rawSettings();
        settings.blockReadTimeout = c.blockReadTimeout;
        GenericLinkOptions options;
        options.baud = c.baud;
        GenericLink link(client.handler, settings, 169, options);
        std::vector<unsigned char> block;
        EXPECT_EQ(link.fetch(block), GenericLink::kNoReply);
        EXPECT_EQ(link.lastProblem().rfind(c.problem, 0), 0u) << link.lastProblem();
    }

    // A board that restarts when the port opens is given its time; commands
    // keep the file's distance from each other.
    Client client;
    FramedEcu ecu;
    client.line.answer = std::ref(ecu);
    LinkSettings settings = framedSettings();
    settings.delayAfterPortOpen = 150;
    settings.interWriteDelay = 60;
    GenericLink link(client.handler, settings, 130);
    std::vector<unsigned char> block;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(link.fetch(block), 0) << link.lastProblem();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150 + 60));
    ASSERT_EQ(link.fetch(block), 0) << link.lastProblem();
    // The query, then two requests.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150 + 60 + 60));
    EXPECT_EQ(client.line.written.size(), 3u);
    EXPECT_EQ(client.line.opens, 1);
}

TEST(GenericLink, APortOpenedAnewIsAskedWhoIsThereFirst)
{
    Client client;
    FramedEcu ecu;
    client.line.answer = std::ref(ecu);
    GenericLink link(client.handler, framedSettings(), 130);
    std::vector<unsigned char> block;
    ASSERT_EQ(link.fetch(block), 0) << link.lastProblem();

    // The adapter was pulled and another ECU plugged in.
    client.line.open = false;
    ecu.signature = "rusEFI 2022";
    block.clear();
    EXPECT_EQ(link.fetch(block), GenericLink::kWrongFirmware);
    EXPECT_TRUE(block.empty());
    EXPECT_EQ(client.line.opens, 2);

    // A device that refuses the line speed is opened anew at the next fetch.
    ecu.signature = kSignature;
    client.line.open = false;
    client.line.refuseSpeeds = 1;
    client.line.written.clear();
    EXPECT_EQ(link.fetch(block), SerialPortHandler::kCannotOpen);
    EXPECT_EQ(link.lastProblem(), "the serial port does not take 115200 baud");
    EXPECT_TRUE(client.line.written.empty());
    ASSERT_EQ(link.fetch(block), 0) << link.lastProblem();
    EXPECT_EQ(client.line.opens, 4);
    EXPECT_EQ(client.line.written.front(), encodeFrame("Q"));
}

namespace {

// Two pages of 300 and 40 bytes, read with "p" + identifier + offset + count.
LinkSettings pagedSettings()
{
    LinkSettings s = framedSettings();
    s.nPages = 2;
    s.pageSizes = {300, 40};
    s.pageIdentifiers = {"\\$tsCanId\\x01", "\\$tsCanId\\x02"};
    s.pageReadCommands = {"p%2i%2o%2c", "p%2i%2o%2c"};
    return s;
}

// Answers page reads of `pages` with status 0x02, `cut` bytes short.
struct PagedEcu {
    FramedEcu runtime;
    std::vector<std::string> pages{pattern(300, 5), pattern(40, 9)};
    size_t cut = 0;

    std::string operator()(const std::string& written) const
    {
        const std::string payload = written.substr(2, written.size() - kFrameOverhead);
        if (payload.size() != 7 || payload[0] != 'p')
            return runtime(written);
        const auto at = [&](size_t i) { return size_t(static_cast<unsigned char>(payload[i])); };
        const std::string& page = pages[at(2) - 1];
        const std::string data = page.substr(at(3) | at(4) << 8, at(5) | at(6) << 8);
        return encodeFrame("\x02" + data.substr(0, data.size() - std::min(cut, data.size())));
    }
};

} // namespace

TEST(GenericLink, PagesInPartsAndAShortReplyRefused)
{
    Client client;
    PagedEcu ecu;
    client.line.answer = std::ref(ecu);
    GenericLink link(client.handler, pagedSettings(), 130);
    ASSERT_EQ(link.pageProblem(), "");
    ASSERT_EQ(link.pageCount(), 2);
    std::vector<unsigned char> page;
    std::string why;
    ASSERT_EQ(link.readPage(0, page, why), 0) << why;
    EXPECT_EQ(std::string(page.begin(), page.end()), ecu.pages[0]);
    // The query, then 251 and 49 bytes: the identifier's two bytes as written.
    EXPECT_EQ(client.line.written,
              (std::vector<std::string>{encodeFrame("Q"),
                                        encodeFrame(text({'p', 0, 1, 0, 0, 251, 0})),
                                        encodeFrame(text({'p', 0, 1, 251, 0, 49, 0}))}));

    ecu.cut = 3;
    std::vector<unsigned char> kept = page;
    EXPECT_EQ(link.readPage(1, page, why), GenericLink::kBadReply);
    EXPECT_EQ(page, kept);
    EXPECT_NE(why.find("carries 37 bytes of data where 40 were asked"), std::string::npos) << why;
}

TEST(GenericLink, PageSettingsRefused)
{
    struct Case {
        const char* label;
        void (*change)(LinkSettings&);
        const char* problem;
    };
    const Case cases[] = {
        {"no pages", [](LinkSettings& s) { s.nPages = 0; },
         "the definition file has no pages of constants (nPages)"},
        {"sizes missing", [](LinkSettings& s) { s.pageSizes = {300}; },
         "pageSize gives 1 sizes for 2 pages"},
        {"no read command", [](LinkSettings& s) { s.pageReadCommands = {"p%2i%2o%2c"}; },
         "page 2: the definition file gives no pageReadCommand"},
        {"identifier too long", [](LinkSettings& s) { s.pageIdentifiers[0] = "\\x00\\x01\\x02"; },
         "page 1: pageReadCommand p%2i%2o%2c: the page identifier has 3 bytes where %2i takes 2 "
         "at character 2"},
        {"no identifier", [](LinkSettings& s) { s.pageIdentifiers.clear(); },
         "page 1: pageReadCommand p%2i%2o%2c: unsupported placeholder %2i at character 2"},
    };
    for (const Case& c : cases) {
        LinkSettings settings = pagedSettings();
        c.change(settings);
        const PageSetup setup = setUpPages(settings, 0);
        EXPECT_EQ(setup.problem, c.problem) << c.label;
        EXPECT_TRUE(setup.pages.empty()) << c.label;
    }
}

TEST(GenericLink, OnlyTheWantedPartsAreFetched)
{
    Client client;
    FramedEcu ecu;
    client.line.answer = std::ref(ecu);
    LinkSettings settings = framedSettings();
    settings.blockingFactor = 8;
    GenericLink link(client.handler, settings, 130);
    // 7 bytes of command; 6 of the request's envelope, 6 and a status byte of the reply's.
    EXPECT_EQ(link.requestOverhead(), 20);
    // 4-5 and 14-15 lie 8 bytes apart: one part. 100 on lies further.
    link.setWantedRanges({{100, 12}, {4, 2}, {14, 2}});
    std::vector<unsigned char> block;
    ASSERT_EQ(link.fetch(block), 0) << link.lastProblem();
    const auto request = [](int offset, int count) {
        return encodeFrame(text({'r', 0, 0x30, offset & 0xFF, offset >> 8, count, 0}));
    };
    EXPECT_EQ(client.line.written, (std::vector<std::string>{encodeFrame("Q"), request(4, 8), request(12, 4),
                                                             request(100, 8), request(108, 4)}));
    EXPECT_EQ(link.fetchedRanges(), (ByteRanges{{4, 12}, {100, 12}}));
    ASSERT_EQ(block.size(), 130u);
    for (size_t i = 0; i < block.size(); ++i) {
        const bool fetched = (i >= 4 && i < 16) || (i >= 100 && i < 112);
        ASSERT_EQ(block[i], fetched ? static_cast<unsigned char>(ecu.block[i]) : 0) << "byte " << i;
    }

    // Nothing wanted in particular: the whole block.
    link.setWantedRanges({});
    ASSERT_EQ(link.fetch(block), 0) << link.lastProblem();
    EXPECT_EQ(std::string(block.begin(), block.end()), ecu.block);
    EXPECT_EQ(link.fetchedRanges(), (ByteRanges{{0, 130}}));

    // A command that cannot name a part always brings the whole block.
    Client raw;
    raw.line.answer = [](const std::string& written) {
        return written == "Q" ? std::string("MS2Extra Serial321 ") : std::string(169, '\x07');
    };
    GenericLink whole(raw.handler, rawSettings(), 169);
    EXPECT_FALSE(whole.fetchesParts());
    whole.setWantedRanges({{4, 2}});
    ASSERT_EQ(whole.fetch(block), 0) << whole.lastProblem();
    EXPECT_EQ(whole.fetchedRanges(), (ByteRanges{{0, 169}}));
    EXPECT_EQ(block, std::vector<unsigned char>(169, 7));
}
