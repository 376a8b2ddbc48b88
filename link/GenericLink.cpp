#include "link/GenericLink.h"

#include "link/EnvelopeFrame.h"
#include "link/GenericLinkSetup.h"
#include "serial/LineTiming.h"
#include "serial/SerialPortHandler.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

// A line that will not go quiet is given up on after this much.
constexpr int kMostDropped = 1024;
// Room for a signature's reply besides the signature (some firmwares add a
// terminating byte or a version suffix).
constexpr size_t kSignatureRoom = 64;

// Bytes as text: printable ASCII as is, anything else as \xNN, in quotes. A
// hex digit right after an escape is escaped too, so that "\x000" cannot be
// read two ways.
std::string quoted(const std::string& bytes)
{
    std::string text = "\"";
    bool escaped = false;
    for (unsigned char c : bytes) {
        const bool plain = c >= 0x20 && c < 0x7F && c != '"' && c != '\\' &&
                           !(escaped && std::isxdigit(c));
        escaped = !plain;
        if (plain) {
            text += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            text += escape;
        }
    }
    return text + "\"";
}

} // namespace

GenericLink::GenericLink(SerialPortHandler& serialPort, const LinkSettings& linkSettings,
                         int32_t blockSize, GenericLinkOptions linkOptions)
    : port(serialPort), settings(linkSettings), options(linkOptions), size(blockSize),
      setup(setUpGenericLink(settings, size, options.baud, options.canId)),
      pages(setUpPages(settings, options.canId))
{
}

int GenericLink::fail(int code, const std::string& why)
{
    identified = false;
    problem = why;
    return code;
}

int GenericLink::portFailure(int code, const std::string& what)
{
    switch (code) {
    case SerialPortHandler::kCannotOpen:
        return fail(code, "cannot open " + port.getDevicePath() +
                              (port.getOpenError().empty() ? "" : ": " + port.getOpenError()));
    case SerialPortHandler::kShortWrite:
        return fail(code, "the line did not take all of " + what);
    case SerialPortHandler::kNoPort:
        return fail(code, "there is no serial port");
    case SerialPortHandler::kInterrupted:
        return fail(code, "interrupted");
    default:
        return fail(code, "the serial port failed (" + std::to_string(code) + ") during " + what);
    }
}

void GenericLink::interrupt()
{
    port.interrupt();
}

void GenericLink::resume()
{
    port.resume();
}

int GenericLink::replyLimitMs(size_t bytes) const
{
    const int onLine = lineMs(bytes, options.baud);
    return settings.blockReadTimeout >= 0 ? std::max(settings.blockReadTimeout, onLine + kTransferSlackMs)
                                          : onLine + kDefaultReadSlackMs;
}

std::string GenericLink::silence(size_t bytes, const std::string& what) const
{
    return "nothing came within " + std::to_string(replyLimitMs(bytes)) + " ms of " + what;
}

int GenericLink::prepareLine()
{
    int r = port.open();
    if (r < 0)
        return portFailure(r, "opening the port");
    const bool reopened = port.getOpenCount() != openCount;
    if (!reopened && lineReady && port.getBaudRate() == options.baud)
        return 0;
    openCount = port.getOpenCount();
    identified = false;
    r = port.setLineSpeed(options.baud);
    if (r == -1) {
        // A device that went away refuses every setting: opened anew next
        // time, it may take this one.
        if (wxIOBase* device = port.getPort())
            device->CloseDevice();
        lineReady = false;
        return fail(SerialPortHandler::kCannotOpen,
                    "the serial port does not take " + std::to_string(options.baud) + " baud");
    }
    if (r < 0)
        return portFailure(r, "setting the line speed");
    lineReady = true;
    // Some boards restart when the port opens; they are deaf until they are up.
    if (reopened && settings.delayAfterPortOpen > 0 && !port.pause(settings.delayAfterPortOpen))
        return fail(SerialPortHandler::kInterrupted, "interrupted");
    return 0;
}

int GenericLink::send(const std::string& command)
{
    if (wrote && settings.interWriteDelay > 0 && !settings.writeBlocks) {
        const auto due = lastWrite + std::chrono::milliseconds(settings.interWriteDelay);
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
        if (wait.count() > 0 && !port.pause(static_cast<int>(wait.count()) + 1))
            return fail(SerialPortHandler::kInterrupted, "interrupted");
    }
    // What an earlier reply left on the line must not be read as this one's.
    port.DiscardPending();
    const std::string bytes = settings.isFramed() ? encodeFrame(command) : command;
    const int r = port.SendString(bytes.data(), static_cast<int>(bytes.size()));
    lastWrite = Clock::now();
    wrote = true;
    if (r < 0)
        return portFailure(r, "the command " + quoted(command));
    return 0;
}

int GenericLink::readUntil(unsigned char* buffer, int n, Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    const int ms = left.count() > 0 ? static_cast<int>(left.count()) : 1;
    return port.ReadBytesWithin(reinterpret_cast<char*>(buffer), n, ms);
}

int GenericLink::dropUntilQuiet()
{
    const int quietMs =
        std::max(kShortestQuietMs, quietGapMs(options.baud));
    char scratch[64];
    int dropped = 0;
    while (dropped < kMostDropped) {
        const int r = port.ReadBytesWithin(scratch, sizeof scratch, quietMs);
        if (r <= 0)
            break;
        dropped += r;
    }
    return dropped;
}

int GenericLink::readFrame(std::vector<unsigned char>& frame, size_t largestData,
                           const std::string& what, size_t& dataOffset, size_t& dataLength)
{
    const size_t largest = largestData + kFrameOverhead + 1;
    const auto deadline = Clock::now() + std::chrono::milliseconds(replyLimitMs(largest));
    frame.assign(kFrameHeaderBytes, 0);
    int got = readUntil(frame.data(), static_cast<int>(kFrameHeaderBytes), deadline);
    if (got < 0)
        return portFailure(got, "the reply to " + what);
    if (got == 0)
        return fail(kNoReply, silence(largest, what));
    if (got < static_cast<int>(kFrameHeaderBytes))
        return fail(kNoReply, "the reply to " + what + " stops after 1 byte");
    ReplyFrame reply = readReplyFrame(frame.data(), frame.size(), largestData);
    if (reply.outcome == ReplyFrame::NeedMore) {
        frame.resize(reply.frameBytes);
        const int want = static_cast<int>(reply.frameBytes - kFrameHeaderBytes);
        got = readUntil(frame.data() + kFrameHeaderBytes, want, deadline);
        if (got < 0)
            return portFailure(got, "the reply to " + what);
        if (got < want)
            return fail(kNoReply, "the reply frame to " + what + " stops after " +
                                      std::to_string(got + kFrameHeaderBytes) + " of " +
                                      std::to_string(reply.frameBytes) + " bytes");
        reply = readReplyFrame(frame.data(), frame.size(), largestData);
    }
    if (reply.outcome != ReplyFrame::Complete)
        return fail(kBadReply, "reply to " + what + " refused: " + reply.problem);
    dataOffset = static_cast<size_t>(reply.data - frame.data());
    dataLength = reply.dataLength;
    return 0;
}

int GenericLink::identify()
{
    const std::string& signature = settings.signature;
    const std::string what = "the query " + quoted(setup.queryBytes);
    // After a failure the rest of a refused reply may still be on its way.
    dropUntilQuiet();
    int r = send(setup.queryBytes);
    if (r < 0)
        return r;
    std::string reply;
    if (settings.isFramed()) {
        std::vector<unsigned char> frame;
        size_t offset = 0, length = 0;
        r = readFrame(frame, signature.size() + kSignatureRoom, what, offset, length);
        if (r < 0)
            return r;
        reply.assign(reinterpret_cast<const char*>(frame.data() + offset), length);
        if (reply.size() < signature.size() && signature.compare(0, reply.size(), reply) == 0)
            return fail(kBadReply, "reply to " + what + " refused: it carries " +
                                       std::to_string(reply.size()) + " bytes of the " +
                                       std::to_string(signature.size()) + "-byte signature");
    } else {
        std::vector<unsigned char> buffer(signature.size());
        const int n = static_cast<int>(buffer.size());
        const size_t onLine = setup.queryBytes.size() + buffer.size();
        const int got = readUntil(buffer.data(), n,
                                  Clock::now() + std::chrono::milliseconds(replyLimitMs(onLine)));
        if (got < 0)
            return portFailure(got, "the reply to " + what);
        // Some firmwares end their signature with a byte the file does not show.
        dropUntilQuiet();
        if (got == 0)
            return fail(kNoReply, silence(onLine, what));
        reply.assign(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(got));
        if (got < n && signature.compare(0, reply.size(), reply) == 0)
            return fail(kNoReply, "the reply to " + what + " stops after " + std::to_string(got) +
                                      " of " + std::to_string(n) + " bytes");
    }
    if (reply.compare(0, signature.size(), signature) != 0 || reply.size() < signature.size())
        return fail(kWrongFirmware, "wrong firmware: it answers " + quoted(reply) + " to " + what +
                                        ", the definition file expects " + quoted(signature));
    identified = true;
    return 0;
}

int GenericLink::readPart(const CommandTemplate& command, int32_t offset, int32_t count,
                          size_t largest, std::string what, unsigned char* out)
{
    std::string bytes;
    wxString error;
    if (!fillCommand(command, static_cast<uint32_t>(offset), static_cast<uint32_t>(count),
                     settings.endianness, bytes, error))
        return fail(kBadSettings, what + ": " + error.utf8_string());
    what += " " + quoted(bytes);
    if (static_cast<size_t>(count) < largest)
        what += " (bytes " + std::to_string(offset) + " to " + std::to_string(offset + count - 1) +
                ")";
    int r = send(bytes);
    if (r < 0)
        return r;
    if (settings.isFramed()) {
        std::vector<unsigned char> frame;
        size_t dataOffset = 0, dataLength = 0;
        r = readFrame(frame, largest, what, dataOffset, dataLength);
        if (r < 0)
            return r;
        if (dataLength != static_cast<size_t>(count))
            return fail(kBadReply, "reply to " + what + " refused: it carries " +
                                       std::to_string(dataLength) + " bytes of data where " +
                                       std::to_string(count) + " were asked");
        std::memcpy(out, frame.data() + dataOffset, dataLength);
        return 0;
    }
    const size_t onLine = bytes.size() + static_cast<size_t>(count);
    const int got =
        readUntil(out, count, Clock::now() + std::chrono::milliseconds(replyLimitMs(onLine)));
    if (got < 0)
        return portFailure(got, "the reply to " + what);
    if (got == 0)
        return fail(kNoReply, silence(onLine, what));
    if (got < count) {
        dropUntilQuiet();
        return fail(kBadReply, "reply to " + what + " refused: " + std::to_string(got) + " of " +
                                   std::to_string(count) + " bytes came");
    }
    // Raw bytes carry no length: a longer reply means they are not the block.
    const int extra = dropUntilQuiet();
    if (extra > 0)
        return fail(kBadReply, "reply to " + what + " refused: it is longer than the " +
                                   std::to_string(count) + " bytes asked");
    return 0;
}

int GenericLink::connect()
{
    if (!setup.problem.empty())
        return fail(kBadSettings, setup.problem);
    if (port.isInterrupted())
        return fail(SerialPortHandler::kInterrupted, "interrupted");
    int r = prepareLine();
    if (r < 0)
        return r;
    if (!identified && (r = identify()) < 0)
        return r;
    return 0;
}

int GenericLink::readPage(int index, std::vector<unsigned char>& bytes, std::string& why,
                          const BetweenParts& betweenParts)
{
    const auto failed = [&](int code) {
        why = problem;
        return code;
    };
    if (index < 0 || index >= pageCount()) {
        problem = pages.problem.empty() ? "there is no page " + std::to_string(index + 1)
                                        : pages.problem;
        return failed(kBadSettings);
    }
    int r = connect();
    if (r < 0)
        return failed(r);
    const PageCommands& page = pages.pages[static_cast<size_t>(index)];
    const std::string name = "page " + std::to_string(index + 1);
    if (!page.activate.empty()) {
        if ((r = send(page.activate)) < 0)
            return failed(r);
        // Framed, the firmware confirms; raw, whatever it says is let go.
        if (settings.isFramed()) {
            std::vector<unsigned char> frame;
            size_t dataOffset = 0, dataLength = 0;
            r = readFrame(frame, kSignatureRoom, "the activation of " + name, dataOffset, dataLength);
            if (r < 0)
                return failed(r);
        } else {
            dropUntilQuiet();
        }
    }
    std::vector<unsigned char> fresh(static_cast<size_t>(page.size));
    for (int32_t offset = 0; offset < page.size; offset += page.part) {
        if (offset > 0 && betweenParts) {
            betweenParts();
            // A fetch that failed meanwhile leaves a line to be set up anew.
            if (!identified) {
                fail(kNoReply, "the line failed during the read of " + name);
                return failed(kNoReply);
            }
        }
        r = readPart(page.read, offset, std::min(page.part, page.size - offset),
                     static_cast<size_t>(page.size), "the read of " + name, fresh.data() + offset);
        if (r < 0)
            return failed(r);
    }
    if (port.getOpenCount() != openCount) {
        fail(kNoReply, "the serial port was opened anew during the read of " + name);
        return failed(kNoReply);
    }
    bytes.swap(fresh);
    problem.clear();
    why.clear();
    return 0;
}

int32_t GenericLink::requestOverhead() const
{
    const size_t command = setup.blockCommand.length();
    // A framed reply's data comes after its status byte.
    const size_t envelopes = settings.isFramed() ? 2 * kFrameOverhead + 1 : 0;
    return static_cast<int32_t>(command + envelopes);
}

void GenericLink::setWantedRanges(const ByteRanges& ranges)
{
    ByteRanges merged = mergeRanges(ranges, size, requestOverhead());
    std::lock_guard<std::mutex> lock(wantedMutex);
    wanted.swap(merged);
}

ByteRanges GenericLink::rangesToFetch() const
{
    if (setup.blockCommand.asksForPart()) {
        std::lock_guard<std::mutex> lock(wantedMutex);
        if (!wanted.empty())
            return wanted;
    }
    return {ByteRange{0, size}};
}

int GenericLink::fetch(std::vector<unsigned char>& block)
{
    int r = connect();
    if (r < 0)
        return r;
    const ByteRanges ranges = rangesToFetch();
    // Zeros where nothing is fetched: never bytes of an earlier block.
    std::vector<unsigned char> fresh(static_cast<size_t>(size));
    for (const ByteRange& range : ranges) {
        for (int32_t offset = range.offset; offset < range.end(); offset += setup.part) {
            r = readPart(setup.blockCommand, offset, std::min(setup.part, range.end() - offset),
                         static_cast<size_t>(size), "the runtime data request",
                         fresh.data() + offset);
            if (r < 0)
                return r;
        }
    }
    // A device opened anew on the way may be another ECU: it is asked first.
    if (port.getOpenCount() != openCount)
        return fail(kNoReply, "the serial port was opened anew during the fetch");
    block.swap(fresh);
    fetched = ranges;
    problem.clear();
    return 0;
}

int GenericLink::fetch(std::vector<unsigned char>& block, const StateReport& report)
{
    // At the start, and whenever the firmware must be asked who it is again,
    // say that we look for it; a failure's state stays until the next outcome.
    if (current.kind == LinkState::Idle || (current.kind == LinkState::Connected && !identified)) {
        current = LinkState();
        current.kind = LinkState::Searching;
        current.device = port.getDevicePath();
        if (report)
            report(current);
    }
    const int result = fetch(block);
    if (result == SerialPortHandler::kInterrupted)
        return result;
    LinkState after;
    after.device = port.getDevicePath();
    switch (result) {
    case 0:
        after.kind = LinkState::Connected;
        after.baud = options.baud;
        break;
    case SerialPortHandler::kCannotOpen:
    case SerialPortHandler::kNoPort:
        after.kind = LinkState::CannotOpen;
        after.reason = port.getOpenError().empty() ? problem : port.getOpenError();
        break;
    case kNoReply:
        after.kind = LinkState::NoReply;
        after.reason = problem;
        break;
    case kWrongFirmware:
        after.kind = LinkState::WrongFirmware;
        after.reason = problem;
        break;
    case kBadSettings:
        after.kind = LinkState::Unusable;
        after.reason = problem;
        break;
    default:
        after.kind = LinkState::Refused;
        after.reason = problem;
        break;
    }
    if (after != current) {
        current = after;
        if (report)
            report(current);
    }
    return result;
}
