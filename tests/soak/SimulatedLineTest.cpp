// The soak's line in memory behaves as the simulator's terminal: answers only
// at the mode's speed, a stalled reply finishes in the next read window, a
// pulled adapter fails the write and the opens that follow, and every reply
// spoiled to the block's length is reported.
#include "tests/soak/SimulatedLine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

const std::string kBlock(56, 'b');

struct Line {
    explicit Line(const FaultSettings& settings) : faults(settings, 7) {}
    EcuFirmware firmware{EcuMode::Run, [] { return kBlock; }};
    FaultInjector faults;
    SimulatedLine line{firmware, faults};
    std::unique_ptr<wxIOBase> device{line.newDevice()};

    std::string ask(const char* command)
    {
        device->Write(command, std::strlen(command));
        char buffer[128];
        const int n = device->Read(buffer, sizeof buffer);
        return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
    }
};

TEST(SimulatedLine, AnswersAtTheModesSpeedAndFinishesAStallInTheNextWindow)
{
    FaultSettings stall;
    stall.stallMs = 500;
    Line t(stall);
    ASSERT_EQ(t.device->OpenDevice("x"), 0);
    t.device->SetBaudRate(19200);
    EXPECT_EQ(t.ask("A"), "");
    t.device->SetBaudRate(9600);
    const std::string first = t.ask("A");
    EXPECT_EQ(first, kBlock.substr(0, 28));
    char buffer[64];
    EXPECT_EQ(t.device->Read(buffer, sizeof buffer), 0);
    IoTimer::Flag timedOut{0};
    t.device->WaitReadable(&timedOut);
    EXPECT_EQ(timedOut.load(), 1);
    EXPECT_EQ(t.device->Read(buffer, sizeof buffer), 28);
}

TEST(SimulatedLine, APulledAdapterFailsTheWriteAndTheOpensAfterIt)
{
    Line t(FaultSettings{});
    t.line.setHangups(1, 2, 3);
    ASSERT_EQ(t.device->OpenDevice("x"), 0);
    t.device->SetBaudRate(9600);
    EXPECT_EQ(t.ask("S"), "TARN Corecard v3");
    EXPECT_LT(t.device->Write("A", 1), 0);
    EXPECT_FALSE(t.device->IsOpen());
    int failed = 0;
    while (t.device->OpenDevice("x") < 0 && failed < 10)
        ++failed;
    EXPECT_EQ(failed, t.line.counts().failedOpens);
    EXPECT_LE(failed, 2);
    EXPECT_EQ(t.line.counts().hangups, 1);
}

TEST(SimulatedLine, ReportsEveryBlockSpoiledToItsLength)
{
    FaultSettings spoil;
    spoil.noise = 1;
    spoil.shortReply = 1;
    Line t(spoil);
    long reported = 0;
    t.line.watchSpoiledBlocks([&](const std::string& delivered) {
        ++reported;
        EXPECT_EQ(delivered.size(), kBlock.size());
        EXPECT_NE(delivered, kBlock);
    });
    ASSERT_EQ(t.device->OpenDevice("x"), 0);
    t.device->SetBaudRate(9600);
    for (int i = 0; i < 200; ++i)
        t.ask("A");
    EXPECT_GT(reported, 0);
    EXPECT_EQ(reported, t.line.counts().shifted);
}

} // namespace
