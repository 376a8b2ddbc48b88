// Arbitrary ECU replies through the protocol (detection, mode switches, the
// runtime data fetch) and the decoding of whatever lands in the block, over
// the test kit's scripted line: no real I/O and no waiting.
//
// Input: byte 0 picks the operations; bytes 1..12 describe three channels
// (offset as a signed 16-bit big-endian number, size, sign); then one reply
// per command the protocol writes: a header byte h and h % 80 bytes, where
// h = 0xFF pulls the adapter, 0xFE makes the following reply stall into the
// next read window, and 0xFD floods the line with 300 bytes.
#include "base/StderrTrace.h"
#include "definition/SymbolTable.h"
#include "ecu/RTDataMgrSerial.h"
#include "link/RuntimeData.h"
#include "serial/SerialPortHandler.h"
#include "link/TarnProtocol.h"
#include "tests/support/ScriptedLine.h"

#include <wx/init.h>
#include <wx/log.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct Script {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    bool stallNext = false;

    // The reply to one command.
    std::string answer(ScriptedLineState& line)
    {
        while (pos < size) {
            const uint8_t h = data[pos++];
            if (h == 0xFF) {
                // A pulled adapter stays away for a few attempts, then comes back.
                line.open = false;
                line.refuseOpens = 5;
                return {};
            }
            if (h == 0xFE) {
                stallNext = true;
                continue;
            }
            if (h == 0xFD)
                return std::string(300, 'x');
            const size_t n = std::min<size_t>(h % 80, size - pos);
            std::string bytes(reinterpret_cast<const char*>(data + pos), n);
            pos += n;
            if (stallNext && n > 1)
                line.lateBytes = n - n / 2;
            stallNext = false;
            return bytes;
        }
        return {};
    }
};

class DiscardLog : public wxLog {
protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override {}
};

Symbol* Channel(const char* name, const uint8_t* spec)
{
    auto* symbol = new Symbol;
    const int16_t offset = static_cast<int16_t>(spec[0] << 8 | spec[1]);
    symbol->setIdentity(name, "", false, 0, offset);
    symbol->setType(spec[3] & 1, spec[2] % 6);
    symbol->setScaling((spec[3] & 2) ? 0.1 : 1.0, (spec[3] & 4) ? -40.0 : 0.0, 0, 0, 0);
    return symbol;
}

bool Fail(const char* what)
{
    std::fprintf(stderr, "fuzz_protocol: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static wxInitializer initializer;
    // The debug log and the traces would cost more than the protocol itself.
    // The worker's messages wait for this thread, which drops them after each input.
    wxLog::EnableLogging(false);
    delete wxLog::SetActiveTarget(new DiscardLog);
    RouteStderrTraces({nullptr, false});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 13)
        return 0;
    Script script;
    script.data = data;
    script.size = size;
    script.pos = 13;
    ScriptedLineState line;
    line.answer = [&script, &line](const std::string&) { return script.answer(line); };
    SerialPortHandler handler([&line] { return new ScriptedLine(line); }, 0);
    TarnProtocol protocol(&handler);

    SymbolTable table;
    table.addSymbol("", Channel("a", data + 1));
    table.addSymbol("", Channel("b", data + 5));
    table.addSymbol("", Channel("c", data + 9));
    auto* derived = new Symbol;
    derived->setExpression("d", "a * 2 + b / c - (c > a ? a : b)");
    table.addSymbol("", derived);
    RTDataMgrSerial input(&protocol, &table);
    ValueMap values;
    input.setValueMap(&values);

    const uint8_t ops = data[0];
    for (int round = 0; round < 1 + (ops & 3) && script.pos < script.size; ++round) {
        int r;
        switch ((ops >> 2) & 3) {
        case 0:
            r = protocol.detectMode();
            if (!(r == -1 || (r >= 11 && r <= 13) || r == -99 || r == -100 || r == -150 ||
                  r == -200))
                Fail("detectMode result");
            break;
        case 1:
            r = protocol.switchToMode(11 + (ops >> 4) % 3);
            if (r < -200 || r > 13)
                Fail("switchToMode result");
            break;
        default:
            break;
        }
        values.clear();
        values["a"] = values["b"] = values["c"] = values["d"] = values["none"] = 0;
        // The worker runs the fetch; nothing else may touch the protocol meanwhile.
        input.requestFetch();
        r = input.waitForFetch();
        input.fillValueMap();
        if (!(r == 0 || r == -80 || r == -100 || r == -200 || r == -99 || r == -150))
            Fail("getRuntimeData result");
        const int length = protocol.getExpectedLength();
        if (length != 56 && (length <= 40 || length >= 75))
            Fail("expected length out of range");
        if (!RTDataMgr::IsNoValue(values["none"]))
            Fail("unknown name served");
    }
    wxLog::FlushActive();
    return 0;
}
