// Arbitrary bytes as a reply frame of the framed envelope, with every limit
// on the data a reply may carry. Whatever the reader takes must be a whole,
// sound frame inside the bytes given; whatever it refuses must say why.
#include "link/Crc32.h"
#include "link/EnvelopeFrame.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void check(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz_envelope_frame: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const size_t largestData = static_cast<size_t>(data[0]) << 8 | data[1];
    const unsigned char* bytes = data + 2;
    const size_t n = size - 2;

    const ReplyFrame reply = readReplyFrame(bytes, n, largestData);
    switch (reply.outcome) {
    case ReplyFrame::Complete:
        check(reply.frameBytes <= n, "a complete frame reaches past the bytes");
        check(reply.dataLength <= largestData, "more data than allowed");
        check(reply.frameBytes == reply.dataLength + kFrameOverhead + 1, "frame size");
        check(reply.data == bytes + kFrameHeaderBytes + 1, "data not after the status");
        check(reply.status < kFirstErrorStatus, "error status taken");
        check(crc32(bytes + kFrameHeaderBytes, reply.dataLength + 1) ==
                  (uint32_t(bytes[reply.frameBytes - 4]) << 24 |
                   uint32_t(bytes[reply.frameBytes - 3]) << 16 |
                   uint32_t(bytes[reply.frameBytes - 2]) << 8 | bytes[reply.frameBytes - 1]),
              "CRC not checked");
        check(reply.problem.empty(), "a taken frame has a problem");
        break;
    case ReplyFrame::NeedMore:
        check(n < kFrameHeaderBytes ? reply.frameBytes == 0 : reply.frameBytes > n,
              "asks for bytes it has");
        check(reply.data == nullptr, "data before the frame is whole");
        break;
    case ReplyFrame::ImpossibleLength:
    case ReplyFrame::BadCrc:
    case ReplyFrame::ErrorStatus:
        check(!reply.problem.empty(), "a refusal without a reason");
        check(reply.data == nullptr, "data of a refused frame");
        break;
    }

    // Whatever fits a frame comes back out of it unchanged.
    const std::string payload(reinterpret_cast<const char*>(bytes), n < 300 ? n : 300);
    const std::string frame = encodeFrame(payload);
    const Frame read = readFrame(reinterpret_cast<const unsigned char*>(frame.data()), frame.size(),
                                 kLargestFramePayload);
    check(payload.empty() ? read.outcome == Frame::ImpossibleLength
                          : read.outcome == Frame::Complete && read.payloadLength == payload.size(),
          "round trip");
    return 0;
}
