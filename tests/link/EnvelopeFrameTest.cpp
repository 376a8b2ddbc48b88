#include "link/Crc32.h"
#include "link/EnvelopeFrame.h"

#include <gtest/gtest.h>

namespace {

std::string bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out += static_cast<char>(v);
    return out;
}

const unsigned char* data(const std::string& s)
{
    return reinterpret_cast<const unsigned char*>(s.data());
}

} // namespace

TEST(EnvelopeFrame, CrcAndRequestFrame)
{
    // The published check values of this CRC.
    EXPECT_EQ(crc32(data("123456789"), 9), 0xCBF43926u);
    EXPECT_EQ(crc32(data("a"), 1), 0xE8B7BE43u);
    EXPECT_EQ(crc32(data(""), 0), 0u);
    EXPECT_EQ(encodeFrame("a"), bytes({0x00, 0x01, 'a', 0xE8, 0xB7, 0xBE, 0x43}));
    const std::string big(300, 'x');
    const std::string frame = encodeFrame(big);
    ASSERT_EQ(frame.size(), 306u);
    EXPECT_EQ(frame.substr(0, 2), bytes({0x01, 0x2C}));
    EXPECT_EQ(encodeFrame(std::string(kLargestFramePayload + 1, 'x')), "");
}

TEST(EnvelopeFrame, ReplyReader)
{
    // A good reply: status 0x01 and "abc".
    const std::string good = encodeFrame(bytes({0x01, 'a', 'b', 'c'}));
    std::string badCrc = good;
    badCrc.back() ^= 0x01;
    std::string badData = good;
    badData[3] ^= 0x40;
    const struct {
        const char* label;
        std::string frame;
        size_t largestData;
        ReplyFrame::Outcome want;
        size_t frameBytes;
        const char* problem; // start of the refusal's text
    } cases[] = {
        {"good", good, 3, ReplyFrame::Complete, 10, ""},
        {"bytes after the frame are not its own", good + "zz", 3, ReplyFrame::Complete, 10, ""},
        {"nothing yet", "", 3, ReplyFrame::NeedMore, 0, ""},
        {"one byte of the length", good.substr(0, 1), 3, ReplyFrame::NeedMore, 0, ""},
        {"length only", good.substr(0, 2), 3, ReplyFrame::NeedMore, 10, ""},
        {"one byte missing", good.substr(0, 9), 3, ReplyFrame::NeedMore, 10, ""},
        {"CRC bit flipped", badCrc, 3, ReplyFrame::BadCrc, 10, "CRC mismatch (sent 0x"},
        {"data bit flipped", badData, 3, ReplyFrame::BadCrc, 10, "CRC mismatch"},
        {"length 0", bytes({0, 0}), 3, ReplyFrame::ImpossibleLength, 0,
         "frame length 0 leaves no room"},
        {"one more byte than allowed", good, 2, ReplyFrame::ImpossibleLength, 0,
         "frame length 4 is above the largest possible (3: a status byte and 2 bytes of data)"},
        {"length far beyond the block, known from the header alone", bytes({0xFF, 0xFF}), 130,
         ReplyFrame::ImpossibleLength, 0, "frame length 65535 is above"},
        {"error status", encodeFrame(bytes({0x83})), 3, ReplyFrame::ErrorStatus, 7,
         "error status 0x83 (unknown command)"},
        {"lowest error status", encodeFrame(bytes({0x80, 1, 2})), 3, ReplyFrame::ErrorStatus, 9,
         "error status 0x80 (underrun)"},
        {"highest success status", encodeFrame(bytes({0x7F, 1})), 3, ReplyFrame::Complete, 8, ""},
        {"status without data", encodeFrame(bytes({0x00})), 3, ReplyFrame::Complete, 7, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const ReplyFrame reply = readReplyFrame(data(c.frame), c.frame.size(), c.largestData);
        EXPECT_EQ(reply.outcome, c.want);
        EXPECT_EQ(reply.frameBytes, c.frameBytes);
        EXPECT_EQ(reply.problem.rfind(c.problem, 0), 0u) << reply.problem;
        if (reply.outcome == ReplyFrame::Complete) {
            EXPECT_TRUE(reply.problem.empty());
            EXPECT_EQ(reply.data, data(c.frame) + 3);
            EXPECT_EQ(reply.dataLength, c.frameBytes - 7);
        } else {
            EXPECT_EQ(reply.data, nullptr);
        }
    }
}
