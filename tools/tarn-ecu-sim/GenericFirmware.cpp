#include "tools/tarn-ecu-sim/GenericFirmware.h"

#include "link/EnvelopeFrame.h"
#include "tools/tarn-ecu-sim/SimLog.h"

#include <algorithm>
#include <utility>

namespace {

constexpr uint8_t kStatusOk = 0x00;
constexpr uint8_t kStatusRuntimeData = 0x01;
constexpr uint8_t kStatusPageData = 0x02;
constexpr uint8_t kStatusCrcFailure = 0x82;
constexpr uint8_t kStatusUnknownCommand = 0x83;
constexpr uint8_t kStatusOutOfRange = 0x84;
constexpr uint8_t kStatusBusy = 0x85;

std::string Quoted(const std::string& bytes)
{
    return "\"" + Printable(bytes) + "\"";
}

uint32_t ReadNumber(const uint8_t* p, int width, ByteOrder order)
{
    if (width == 1)
        return p[0];
    return order == ByteOrder::Big ? uint32_t(p[0]) << 8 | p[1] : uint32_t(p[1]) << 8 | p[0];
}

} // namespace

GenericFirmware::GenericFirmware(const LinkSettings& linkSettings, size_t size, int lineBaud,
                                 BlockFunction block, FaultInjector& faults,
                                 std::vector<std::string> pageBytes)
    : settings(linkSettings), blockSize(size), baud(lineBaud), nextBlock(std::move(block)),
      spoiler(faults), pages(std::move(pageBytes))
{
    if (!settings.messageEnvelopeFormat.empty() && !settings.isFramed())
        settingsProblem = "messageEnvelopeFormat " + settings.messageEnvelopeFormat.utf8_string() +
                          " is not supported";
    addCommand(Kind::Query, settings.queryCommand, "queryCommand");
    addCommand(Kind::Version, settings.versionInfo, "versionInfo");
    addCommand(Kind::RuntimeData, settings.ochGetCommand, "ochGetCommand");
    if (settingsProblem.empty() && settings.ochGetCommand.empty())
        settingsProblem = "the definition file gives no ochGetCommand";
    addPageCommands();
}

void GenericFirmware::addPageCommands()
{
    for (size_t i = 0; i < pages.size(); ++i) {
        std::string identifier;
        wxString error;
        const bool identified =
            i < settings.pageIdentifiers.size() &&
            parseCommandString(settings.pageIdentifiers[i],
                               CommandParameters{0, 0, 0, settings.endianness}, identifier, error);
        const std::string* id = identified ? &identifier : nullptr;
        if (i < settings.pageReadCommands.size())
            addCommand(Kind::PageRead, settings.pageReadCommands[i], "pageReadCommand", i, id);
        if (i < settings.pageActivates.size())
            addCommand(Kind::PageActivate, settings.pageActivates[i], "pageActivate", i, id);
    }
}

size_t GenericFirmware::sizeOf(const Known& known) const
{
    return known.kind == Kind::PageRead ? pages[known.page].size() : blockSize;
}

void GenericFirmware::addCommand(Kind kind, const wxString& text, const char* key, size_t page,
                                 const std::string* identifier)
{
    if (text.empty())
        return;
    Known known{kind, CommandTemplate(), page};
    wxString error;
    if (!parseCommandTemplate(text, 0, known.command, error, identifier)) {
        if (settingsProblem.empty())
            settingsProblem = std::string(key) + " " + text.utf8_string() + ": " + error.utf8_string();
        return;
    }
    commands.push_back(std::move(known));
}

std::string GenericFirmware::stateName() const
{
    return "firmware " + Quoted(settings.signature);
}

size_t GenericFirmware::longestCommand() const
{
    if (settings.isFramed())
        return kLargestRequest + kFrameOverhead;
    size_t longest = 1;
    for (const Known& known : commands)
        longest = std::max(longest, known.command.length());
    return longest;
}

GenericFirmware::Found GenericFirmware::find(const uint8_t* bytes, size_t count, bool whole) const
{
    Found result;
    for (const Known& known : commands) {
        Found found;
        found.known = &known;
        size_t at = 0;
        bool matches = true;
        bool cut = false;
        for (const CommandPiece& piece : known.command.pieces) {
            if (piece.kind == CommandPiece::Bytes) {
                const size_t compared = std::min(piece.bytes.size(), count - at);
                if (piece.bytes.compare(0, compared, reinterpret_cast<const char*>(bytes + at),
                                        compared) != 0) {
                    matches = false;
                    break;
                }
                at += compared;
                cut = compared < piece.bytes.size();
            } else {
                const size_t width = static_cast<size_t>(piece.width);
                cut = count - at < width;
                if (!cut) {
                    const uint32_t value = ReadNumber(bytes + at, piece.width, settings.endianness);
                    (piece.kind == CommandPiece::Offset ? found.offset : found.count) = value;
                    at += width;
                }
            }
            if (cut)
                break;
        }
        if (!matches)
            continue;
        if (cut) {
            result.prefix = true;
            continue;
        }
        if (whole && at != count)
            continue;
        if (!known.command.asksForPart()) {
            found.offset = 0;
            found.count = static_cast<uint32_t>(known.kind == Kind::PageActivate ? 0 : sizeOf(known));
        }
        found.length = at;
        found.prefix = result.prefix;
        return found;
    }
    return result;
}

CommandStart GenericFirmware::match(const uint8_t* bytes, size_t count) const
{
    CommandStart start;
    if (!settingsProblem.empty() || count == 0)
        return start;
    if (settings.isFramed()) {
        if (count < kFrameHeaderBytes) {
            start.kind = CommandStart::Prefix;
            return start;
        }
        const size_t length = size_t(bytes[0]) << 8 | bytes[1];
        if (length == 0 || length > kLargestRequest) {
            start.length = 1;
            return start; // not the start of a frame
        }
        start.kind = count < length + kFrameOverhead ? CommandStart::Prefix : CommandStart::Complete;
        start.length = length + kFrameOverhead;
        return start;
    }
    const Found found = find(bytes, count, false);
    if (found.known) {
        start.kind = CommandStart::Complete;
        start.length = found.length;
    } else if (found.prefix) {
        start.kind = CommandStart::Prefix;
        start.length = count;
    } else {
        start.length = 1;
    }
    return start;
}

bool GenericFirmware::answer(const Found& found, SimLog& log, uint8_t& status, std::string& data)
{
    switch (found.known->kind) {
    case Kind::Query:
        log.line("  the query: signature " + Quoted(settings.signature));
        status = kStatusOk;
        data = settings.signature;
        return true;
    case Kind::Version:
        log.line("  the version");
        status = kStatusOk;
        data = "tarn-ecu-sim as " + settings.signature;
        return true;
    case Kind::PageActivate:
        log.line("  page " + std::to_string(found.known->page + 1) + " activated");
        status = kStatusOk;
        // Raw, the command is taken without a word.
        return settings.isFramed();
    case Kind::PageRead: {
        const std::string& page = pages[found.known->page];
        const uint64_t last = uint64_t(found.offset) + found.count;
        const bool beyond = found.count == 0 || last > page.size();
        log.line("  page " + std::to_string(found.known->page + 1) + ", offset " +
                 std::to_string(found.offset) + ", count " + std::to_string(found.count) +
                 (beyond ? ": beyond the page" : ""));
        if (beyond) {
            status = kStatusOutOfRange;
            return false;
        }
        status = kStatusPageData;
        data = page.substr(found.offset, found.count);
        return true;
    }
    case Kind::RuntimeData:
        break;
    }
    const uint64_t end = uint64_t(found.offset) + found.count;
    if (found.count == 0 || end > blockSize) {
        log.line("  runtime data, offset " + std::to_string(found.offset) + ", count " +
                 std::to_string(found.count) + ": beyond the " + std::to_string(blockSize) +
                 "-byte block");
        status = kStatusOutOfRange;
        return false;
    }
    if (int64_t(found.offset) <= lastPartOffset || current.size() != blockSize) {
        current = nextBlock();
        current.resize(blockSize, '\0');
    }
    lastPartOffset = found.offset;
    log.line("  runtime data, offset " + std::to_string(found.offset) + ", count " +
             std::to_string(found.count));
    status = kStatusRuntimeData;
    data = current.substr(found.offset, found.count);
    return true;
}

std::string GenericFirmware::frameReply(uint8_t status, std::string data, bool spoilable,
                                        SimLog& log)
{
    size_t bytes = 0;
    const FrameFault fault = spoilable ? spoiler.drawFrameFault(bytes) : FrameFault::None;
    switch (fault) {
    case FrameFault::None:
    case FrameFault::BadCrc:
        break;
    case FrameFault::BadStatus:
        log.line("fault: error status 0x85 instead of the answer");
        status = kStatusBusy;
        data.clear();
        break;
    case FrameFault::ShortFrame:
        bytes = std::min(bytes, data.size());
        log.line("fault: frame " + std::to_string(bytes) + " bytes short of data");
        data.resize(data.size() - bytes);
        break;
    case FrameFault::LongFrame:
        log.line("fault: frame with " + std::to_string(blockSize + bytes) +
                 " bytes of data, more than the block");
        data.resize(blockSize + bytes, '\0');
        break;
    }
    std::string frame = encodeFrame(std::string(1, static_cast<char>(status)) + data);
    if (fault == FrameFault::BadCrc && !frame.empty()) {
        log.line("fault: frame CRC spoiled");
        frame.back() = static_cast<char>(frame.back() ^ 0x01);
    }
    return frame;
}

FirmwareReply GenericFirmware::serve(const uint8_t* bytes, size_t length, SimLog& log)
{
    FirmwareReply reply;
    reply.isAnswer = true;
    if (!settings.isFramed()) {
        const Found found = find(bytes, length, true);
        log.line("command " + Quoted(std::string(reinterpret_cast<const char*>(bytes), length)));
        uint8_t status = 0;
        if (found.known)
            answer(found, log, status, reply.bytes);
        return reply;
    }
    const Frame frame = readFrame(bytes, length, kLargestRequest);
    const std::string payload(reinterpret_cast<const char*>(bytes + kFrameHeaderBytes),
                              frame.payloadLength);
    if (frame.outcome != Frame::Complete) {
        log.line("frame " + Quoted(payload) + " with a bad CRC");
        reply.bytes = frameReply(kStatusCrcFailure, std::string(), false, log);
        return reply;
    }
    log.line("command " + Quoted(payload));
    const Found found = find(reinterpret_cast<const uint8_t*>(payload.data()), payload.size(), true);
    if (!found.known) {
        log.line("  unknown command");
        reply.bytes = frameReply(kStatusUnknownCommand, std::string(), false, log);
        return reply;
    }
    uint8_t status = 0;
    std::string data;
    const bool answered = answer(found, log, status, data);
    // Frame faults hit the runtime data, the steady traffic of a dashboard.
    reply.bytes = frameReply(status, data, answered && found.known->kind == Kind::RuntimeData, log);
    return reply;
}
