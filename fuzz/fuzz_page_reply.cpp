// Arbitrary replies to page reads, framed or raw, in parts, then the pages
// decoded into constants. The line is a fake: no real I/O and no waiting.
//
// Input: byte 0 picks framed or raw and the byte order; then one reply per
// command the link writes, as in fuzz_generic_link: a header byte h and h
// bytes (h = 0xFF: the replies that follow are all frames of good CRC around
// the next h2 bytes).
#include "base/StderrTrace.h"
#include "definition/IniParser.h"
#include "ecu/PageDecoder.h"
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
#include <memory>
#include <string>

namespace {

void Fail(const char* what)
{
    std::fprintf(stderr, "fuzz_page_reply: %s\n", what);
    std::abort();
}

// Two pages of 40 and 20 bytes; "far" lies past the second.
std::unique_ptr<SymbolTable> table;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static wxInitializer initializer;
    wxLog::EnableLogging(false);
    RouteStderrTraces({nullptr, false});
    IniParser parser;
    parser.openBytes("[MegaTune]\nsignature = \"fw1\"\nqueryCommand = \"Q\"\n[Constants]\n"
                     "nPages = 2\npageSize = 40, 20\n"
                     "pageIdentifier = \"\\x00\\x01\", \"\\x00\\x02\"\n"
                     "pageReadCommand = \"p%2i%2o%2c\", \"p%2i%2o%2c\"\nblockingFactor = 16\n"
                     "page = 1\nlimit = scalar, U16, 38, \"\", 1, 0, 0, 100, 0\n"
                     "cells = array, S08, 0, [4x4], \"\", 0.5, 0, 0, 100, 1\n"
                     "flag = bits, U08, 17, [1:3]\nratio = scalar, F32, 20, \"\", 1, 0, 0, 10, 2\n"
                     "page = 2\nfar = scalar, U32, 18, \"\", 1, 0, 0, 10, 0\n"
                     "[OutputChannels]\nochGetCommand = \"A\"\nochBlockSize = 4\n");
    while (parser.readNext()) {
    }
    table.reset(parser.releaseTable());
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
    LinkSettings settings = table->getLinkSettings();
    settings.endianness = data[0] & 2 ? ByteOrder::Little : ByteOrder::Big;
    settings.messageEnvelopeFormat = data[0] & 1 ? "msEnvelope_1.0" : "";
    ScriptedLineState line;
    line.answer = [&script](const std::string&) { return script.answer(); };
    SerialPortHandler handler([&line] { return new ScriptedLine(line); });
    GenericLink link(handler, settings, 4);
    if (link.pageCount() != 2)
        Fail("the pages are not set up");
    std::vector<std::vector<unsigned char>> pages(2);
    for (int round = 0; round < 3 && script.pos < script.size; ++round)
        for (int i = 0; i < 2; ++i) {
            std::vector<unsigned char> bytes(1, 0xAB);
            std::string why;
            const int r = link.readPage(i, bytes, why);
            if (r == 0) {
                if (bytes.size() != (i == 0 ? 40u : 20u) || !why.empty())
                    Fail("a good page");
                pages[size_t(i)] = bytes;
            } else {
                if (bytes.size() != 1 || bytes[0] != 0xAB)
                    Fail("a failed read changed the page");
                if (why.empty())
                    Fail("a failure without a reason");
                if (r != GenericLink::kNoReply && r != GenericLink::kBadReply &&
                    r != GenericLink::kWrongFirmware)
                    Fail("unexpected result");
            }
        }
    const PageValues values = decodePages(*table, pages);
    if (values.numbers.find("far") != values.numbers.end() || values.pastPage.empty() || values.pastPage.front() != "far")
        Fail("a constant past its page has a value");
    if (!pages[0].empty() && (values.numbers.find("limit") == values.numbers.end() || !values.arrays.count("cells") ||
                              values.arrays.at("cells").size() != 16))
        Fail("a page read gave no values");
    return 0;
}
