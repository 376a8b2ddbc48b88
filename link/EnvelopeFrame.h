#pragma once
// The framed envelope ("msEnvelope_1.0") that some firmwares put around every
// command and reply: 2 bytes payload length (big-endian), the payload, then 4
// bytes CRC-32 of the payload (big-endian). The payload of a reply starts
// with a status byte: below 0x80 success, with the data after it; 0x80 and
// above an error.
//
// A reply is taken only whole: a frame whose length is impossible, whose CRC
// does not match or whose status is an error is refused, and nothing in it
// counts as data.
#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kFrameHeaderBytes = 2;
constexpr size_t kFrameCrcBytes = 4;
constexpr size_t kFrameOverhead = kFrameHeaderBytes + kFrameCrcBytes;
constexpr size_t kLargestFramePayload = 0xFFFF;
constexpr uint8_t kFirstErrorStatus = 0x80;

// The frame around `payload`; empty when the payload does not fit a frame.
std::string encodeFrame(const std::string& payload);

// One frame read from the start of a byte buffer, its status byte not looked at.
struct Frame {
    enum Outcome {
        Complete,         // the payload follows the header; `frameBytes` were taken
        NeedMore,         // a good start: `frameBytes` in all are needed (0 before the length is in)
        ImpossibleLength, // the length is 0 or above the largest payload allowed
        BadCrc,
    };
    Outcome outcome = NeedMore;
    size_t payloadLength = 0; // as the header says
    size_t frameBytes = 0;
    uint32_t crcSent = 0;
    uint32_t crcComputed = 0;
};

Frame readFrame(const unsigned char* bytes, size_t n, size_t largestPayload);

// A reply frame: the frame, its status, and where its data lies.
struct ReplyFrame {
    enum Outcome { Complete, NeedMore, ImpossibleLength, BadCrc, ErrorStatus };
    Outcome outcome = NeedMore;
    size_t frameBytes = 0; // as for Frame
    uint8_t status = 0;
    const unsigned char* data = nullptr; // Complete: the bytes after the status
    size_t dataLength = 0;
    // A refusal in words, e.g. "CRC mismatch (sent 0x12345678, computed
    // 0x9ABCDEF0)"; empty unless refused.
    std::string problem;
};

// `largestData` is the most data (status byte not counted) the reply may carry.
ReplyFrame readReplyFrame(const unsigned char* bytes, size_t n, size_t largestData);

// "ok", "unknown command", ...; "unknown status" for others.
const char* frameStatusName(uint8_t status);
