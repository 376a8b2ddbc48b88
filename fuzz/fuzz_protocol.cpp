// Arbitrary ECU replies through the protocol (detection, mode switches, the
// runtime data fetch) and the decoding of whatever lands in the block. The
// line is a fake: no real I/O and no waiting (a read that finds nothing ends
// its time limit at once).
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

#include <wx/init.h>
#include <wx/log.h>

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <string>

namespace {

struct Script {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    std::deque<std::pair<std::string, int>> input; // bytes and the window they arrive in
    int window = 0;
    bool open = false;
    bool gone = false;
    bool stallNext = false;
    int opens = 0;

    // The reply to one command.
    void answer()
    {
        while (pos < size) {
            const uint8_t h = data[pos++];
            if (h == 0xFF) {
                gone = true;
                open = false;
                return;
            }
            if (h == 0xFE) {
                stallNext = true;
                continue;
            }
            if (h == 0xFD) {
                input.emplace_back(std::string(300, 'x'), window);
                return;
            }
            const size_t n = std::min<size_t>(h % 80, size - pos);
            std::string bytes(reinterpret_cast<const char*>(data + pos), n);
            pos += n;
            if (stallNext && n > 1) {
                input.emplace_back(bytes.substr(0, n / 2), window);
                input.emplace_back(bytes.substr(n / 2), window + 1);
            } else {
                input.emplace_back(bytes, window);
            }
            stallNext = false;
            return;
        }
    }
};

class DiscardLog : public wxLog {
protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override {}
};

class ScriptedPort : public wxIOBase {
public:
    explicit ScriptedPort(Script& s) : script(s) {}

    int CloseDevice() override
    {
        script.open = false;
        return 0;
    }
    int OpenDevice(const char*, const SerialSettings*) override
    {
        // A pulled adapter stays away for a few attempts, then comes back.
        if (script.gone && ++script.opens < 6)
            return -1;
        script.gone = false;
        script.opens = 0;
        script.open = true;
        return 0;
    }
    bool IsOpen() const override { return script.open; }
    int Read(char* buffer, size_t n) override
    {
        if (!script.open)
            return -1;
        size_t got = 0;
        while (got < n && !script.input.empty() && script.input.front().second <= script.window) {
            std::string& bytes = script.input.front().first;
            const size_t take = std::min(n - got, bytes.size());
            bytes.copy(buffer + got, take);
            bytes.erase(0, take);
            got += take;
            if (bytes.empty())
                script.input.pop_front();
        }
        return static_cast<int>(got);
    }
    int Write(const char*, size_t n) override
    {
        if (!script.open)
            return -1;
        script.answer();
        return script.open ? static_cast<int>(n) : -1;
    }
    int SetBaudRate(int rate) override { return script.open && rate > 0 ? 0 : -1; }
    int WaitReadable(IoTimer::Flag* flag) override { return expire(flag); }
    int WaitWritable(IoTimer::Flag* flag) override { return expire(flag); }

private:
    int expire(IoTimer::Flag* flag)
    {
        if (!script.open)
            return -1;
        ++script.window;
        if (flag)
            flag->store(1);
        return 0;
    }

    Script& script;
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
    SerialPortHandler handler([&script] { return new ScriptedPort(script); }, 0);
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
