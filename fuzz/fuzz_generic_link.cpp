// Arbitrary replies through the generic link, framed or raw, whole blocks or
// parts. The line is a fake: no real I/O and no waiting (a read that finds
// nothing ends its time limit at once).
//
// Input: byte 0 picks framed or raw, the byte order and whether the block
// comes in parts; then one reply per command the link writes: a header byte
// h and h bytes (h = 0xFF: the replies that follow are all frames of
// good CRC around the next h2 bytes, a shortcut to the checks past the CRC).
#include "base/StderrTrace.h"
#include "link/EnvelopeFrame.h"
#include "link/GenericLink.h"
#include "serial/SerialPortHandler.h"
#include "tests/support/ReplyScript.h"
#include "tests/support/ScriptedLine.h"

#include <wx/init.h>
#include <wx/log.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Fail(const char* what)
{
    std::fprintf(stderr, "fuzz_generic_link: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static wxInitializer initializer;
    wxLog::EnableLogging(false);
    RouteStderrTraces({nullptr, false});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    ReplyScript script;
    script.data = data;
    script.size = size;
    script.pos = 1;
    LinkSettings settings;
    settings.queryCommand = "Q";
    settings.signature = "fw1";
    settings.hasSignature = true;
    settings.ochGetCommand = data[0] & 4 ? "O%2o%2c" : "A";
    settings.blockingFactor = 16;
    settings.endianness = data[0] & 2 ? ByteOrder::Little : ByteOrder::Big;
    if (data[0] & 1)
        settings.messageEnvelopeFormat = "msEnvelope_1.0";
    constexpr int32_t kBlock = 40;
    ScriptedLineState line;
    line.answer = [&script](const std::string&) { return script.answer(); };
    SerialPortHandler handler([&line] { return new ScriptedLine(line); });
    GenericLink link(handler, settings, kBlock);
    for (int fetch = 0; fetch < 4 && script.pos < script.size; ++fetch) {
        std::vector<unsigned char> block(1, 0xAB);
        const int r = link.fetch(block);
        if (r == 0) {
            if (block.size() != static_cast<size_t>(kBlock) || !link.lastProblem().empty())
                Fail("a good fetch");
        } else {
            if (block.size() != 1 || block[0] != 0xAB)
                Fail("a failed fetch changed the block");
            if (link.lastProblem().empty())
                Fail("a failure without a reason");
            if (r != GenericLink::kNoReply && r != GenericLink::kBadReply &&
                r != GenericLink::kWrongFirmware)
                Fail("unexpected result");
        }
    }
    return 0;
}
