#include "link/EnvelopeFrame.h"

#include "link/Crc32.h"

#include <cstdio>

namespace {

uint32_t bigEndian(const unsigned char* p, size_t width)
{
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i)
        value = value << 8 | p[i];
    return value;
}

template <typename... Args>
std::string format(const char* pattern, Args... args)
{
    char text[160];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

} // namespace

std::string encodeFrame(const std::string& payload)
{
    if (payload.size() > kLargestFramePayload)
        return std::string();
    const size_t n = payload.size();
    const uint32_t crc = crc32(reinterpret_cast<const unsigned char*>(payload.data()), n);
    std::string frame;
    frame.reserve(n + kFrameOverhead);
    frame += static_cast<char>(n >> 8);
    frame += static_cast<char>(n & 0xFF);
    frame += payload;
    for (int shift = 24; shift >= 0; shift -= 8)
        frame += static_cast<char>((crc >> shift) & 0xFF);
    return frame;
}

Frame readFrame(const unsigned char* bytes, size_t n, size_t largestPayload)
{
    Frame frame;
    if (n < kFrameHeaderBytes)
        return frame;
    frame.payloadLength = bigEndian(bytes, kFrameHeaderBytes);
    if (frame.payloadLength == 0 || frame.payloadLength > largestPayload) {
        frame.outcome = Frame::ImpossibleLength;
        return frame;
    }
    frame.frameBytes = frame.payloadLength + kFrameOverhead;
    if (n < frame.frameBytes)
        return frame;
    const unsigned char* payload = bytes + kFrameHeaderBytes;
    frame.crcSent = bigEndian(payload + frame.payloadLength, kFrameCrcBytes);
    frame.crcComputed = crc32(payload, frame.payloadLength);
    frame.outcome = frame.crcSent == frame.crcComputed ? Frame::Complete : Frame::BadCrc;
    return frame;
}

ReplyFrame readReplyFrame(const unsigned char* bytes, size_t n, size_t largestData)
{
    ReplyFrame reply;
    const size_t largestPayload =
        largestData < kLargestFramePayload ? largestData + 1 : kLargestFramePayload;
    const Frame frame = readFrame(bytes, n, largestPayload);
    reply.frameBytes = frame.frameBytes;
    switch (frame.outcome) {
    case Frame::NeedMore:
        reply.outcome = ReplyFrame::NeedMore;
        return reply;
    case Frame::ImpossibleLength:
        reply.outcome = ReplyFrame::ImpossibleLength;
        reply.problem = frame.payloadLength == 0
                            ? std::string("frame length 0 leaves no room for a status")
                            : format("frame length %zu is above the largest possible (%zu: a "
                                     "status byte and %zu bytes of data)",
                                     frame.payloadLength, largestPayload, largestData);
        return reply;
    case Frame::BadCrc:
        reply.outcome = ReplyFrame::BadCrc;
        reply.problem = format("CRC mismatch (sent 0x%08X, computed 0x%08X)", unsigned(frame.crcSent),
                               unsigned(frame.crcComputed));
        return reply;
    case Frame::Complete:
        break;
    }
    reply.status = bytes[kFrameHeaderBytes];
    if (reply.status >= kFirstErrorStatus) {
        reply.outcome = ReplyFrame::ErrorStatus;
        reply.problem = format("error status 0x%02X (%s)", unsigned(reply.status),
                               frameStatusName(reply.status));
        return reply;
    }
    reply.outcome = ReplyFrame::Complete;
    reply.data = bytes + kFrameHeaderBytes + 1;
    reply.dataLength = frame.payloadLength - 1;
    return reply;
}

const char* frameStatusName(uint8_t status)
{
    switch (status) {
    case 0x00:
        return "ok";
    case 0x01:
        return "runtime data";
    case 0x02:
        return "page data";
    case 0x04:
        return "burn ok";
    case 0x07:
        return "command ok";
    case 0x80:
        return "underrun";
    case 0x81:
        return "overrun";
    case 0x82:
        return "CRC failure of the request";
    case 0x83:
        return "unknown command";
    case 0x84:
        return "out of range";
    case 0x85:
        return "busy";
    case 0x8D:
        return "framing error";
    }
    return "unknown status";
}
