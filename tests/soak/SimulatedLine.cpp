#include "tests/soak/SimulatedLine.h"

#include "serial/wxSerialPort.h"

#include <algorithm>

class SimulatedLineDevice : public wxIOBase {
public:
    explicit SimulatedLineDevice(SimulatedLine& simulatedLine) : line(simulatedLine) {}
    ~SimulatedLineDevice() override { CloseDevice(); }

    const char* GetClassName() const override { return "SimulatedLineDevice"; }
    int CloseDevice() override
    {
        line.close();
        return 0;
    }
    int OpenDevice(const char*, const SerialSettings*) override { return line.open(); }
    bool IsOpen() const override { return line.isOpen(); }
    int Read(char* buffer, size_t n) override { return line.read(buffer, n); }
    int Write(const char* buffer, size_t n) override { return line.write(buffer, n); }
    int SetBaudRate(int rate) override { return line.setBaud(rate); }
    int WaitReadable(IoTimer::Flag* flag) override { return line.expireWindow(flag); }
    int WaitWritable(IoTimer::Flag* flag) override { return line.expireWindow(flag); }
    std::string GetDevicePath() const override { return "simulated line"; }

private:
    SimulatedLine& line;
};

SimulatedLine::SimulatedLine(EcuFirmware& ecuFirmware, FaultInjector& faultInjector)
    : firmware(ecuFirmware), faults(faultInjector)
{
}

wxIOBase* SimulatedLine::newDevice()
{
    return new SimulatedLineDevice(*this);
}

void SimulatedLine::setHangups(long answers, int failedOpens, uint64_t seed)
{
    hangupAfter = answers;
    maxFailedOpens = failedOpens;
    answersSinceHangup = 0;
    hangupDue = false;
    replugRandom.seed(seed);
}

int SimulatedLine::open()
{
    if (opensToFail > 0) {
        --opensToFail;
        ++tally.failedOpens;
        return -1;
    }
    plugged = true;
    return 0;
}

void SimulatedLine::close()
{
    plugged = false;
    pending.clear();
}

int SimulatedLine::setBaud(int rate)
{
    if (!plugged || !wxSerialPort::IsAcceptedRate(rate))
        return -1;
    clientBaud = rate;
    return 0;
}

int SimulatedLine::read(char* buffer, size_t n)
{
    if (!plugged)
        return -1;
    size_t got = 0;
    while (got < n && !pending.empty() && pending.front().window <= window) {
        Chunk& chunk = pending.front();
        // A reply on its way when the client changed speed is garbage to it;
        // the simulator stops sending it.
        if (chunk.baud != clientBaud) {
            pending.pop_front();
            continue;
        }
        const size_t take = std::min(n - got, chunk.bytes.size());
        chunk.bytes.copy(buffer + got, take);
        chunk.bytes.erase(0, take);
        got += take;
        if (chunk.bytes.empty())
            pending.pop_front();
    }
    return static_cast<int>(got);
}

int SimulatedLine::write(const char* buffer, size_t n)
{
    if (!plugged)
        return -1;
    if (hangupDue) {
        hangUp();
        return -1;
    }
    if (clientBaud != ModeLineSpeed(firmware.mode())) {
        tally.wrongSpeedBytes += static_cast<long>(n);
        heard.clear();
    } else {
        heard.append(buffer, n);
        serve();
    }
    return static_cast<int>(n);
}

int SimulatedLine::expireWindow(IoTimer::Flag* flag)
{
    if (!plugged)
        return -1;
    ++window;
    // The rest of a command would have come by now: what is there is garbage.
    heard.clear();
    if (flag)
        flag->store(1);
    return 0;
}

void SimulatedLine::serve()
{
    while (!heard.empty()) {
        const CommandMatch match = MatchCommand(
            firmware.mode(), reinterpret_cast<const uint8_t*>(heard.data()), heard.size());
        if (match.kind == CommandMatch::Prefix)
            return;
        if (match.kind != CommandMatch::Complete) {
            heard.erase(0, 1);
            continue;
        }
        heard.erase(0, match.length);
        const int baud = ModeLineSpeed(firmware.mode());
        send(firmware.handle(match.command), match.command, baud);
    }
}

void SimulatedLine::send(const FirmwareReply& reply, EcuCommand command, int baud)
{
    if (reply.bytes.empty())
        return;
    if (!reply.isAnswer) {
        pending.push_back({reply.bytes, baud, window});
        return;
    }
    const SpoiledReply spoiled = faults.apply(reply.bytes);
    if (spoiled.dropped) {
        ++tally.dropped;
        return;
    }
    tally.noisy += spoiled.noiseBytes > 0;
    tally.shortened += spoiled.lengthChange < 0;
    tally.lengthened += spoiled.lengthChange > 0;
    const bool shifted =
        spoiled.noiseBytes > 0 && spoiled.lengthChange == -static_cast<int>(spoiled.noiseBytes);
    tally.shifted += shifted;
    if (shifted && command == EcuCommand::RuntimeData && spoiledBlock)
        spoiledBlock(spoiled.bytes);
    if (spoiled.stallMs > 0) {
        // Longer than any read's limit: the rest comes after this read is over.
        ++tally.stalled;
        pending.push_back({spoiled.bytes.substr(0, spoiled.stallAfter), baud, window});
        pending.push_back({spoiled.bytes.substr(spoiled.stallAfter), baud, window + 1});
    } else {
        pending.push_back({spoiled.bytes, baud, window});
    }
    ++tally.answers;
    if (hangupAfter > 0 && ++answersSinceHangup >= hangupAfter)
        hangupDue = true;
}

void SimulatedLine::hangUp()
{
    // The firmware keeps running in its mode; only the adapter goes.
    ++tally.hangups;
    hangupDue = false;
    answersSinceHangup = 0;
    close();
    heard.clear();
    std::uniform_int_distribution<int> failures(0, maxFailedOpens);
    opensToFail = failures(replugRandom);
}
