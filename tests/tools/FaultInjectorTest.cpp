#include "tools/tarn-ecu-sim/FaultInjector.h"

#include <gtest/gtest.h>

#include <string>

namespace {
const std::string kReply = "0123456789abcdefghij"; // 20 bytes
}

TEST(FaultInjector, EachFaultAtCertaintyShowsInTheReply)
{
    struct Case {
        const char* label;
        FaultSettings settings;
        size_t minLength;
        size_t maxLength;
        bool keepsStart; // the reply begins with the true reply's start
        bool keepsEnd;   // the reply ends with the true reply
    };
    FaultSettings noise;
    noise.noise = 1;
    FaultSettings drop;
    drop.drop = 1;
    FaultSettings shortReply;
    shortReply.shortReply = 1;
    FaultSettings longReply;
    longReply.longReply = 1;
    FaultSettings none;
    const Case cases[] = {
        {"noise", noise, 21, 24, false, true},
        {"drop", drop, 0, 0, false, false},
        {"short", shortReply, 16, 19, true, false},
        {"long", longReply, 21, 24, true, false},
        {"none", none, 20, 20, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        FaultInjector injector(c.settings, 42);
        for (int round = 0; round < 50; ++round) {
            const SpoiledReply out = injector.apply(kReply);
            ASSERT_GE(out.bytes.size(), c.minLength);
            ASSERT_LE(out.bytes.size(), c.maxLength);
            const size_t common = std::min(out.bytes.size(), kReply.size());
            if (c.keepsStart) {
                EXPECT_EQ(out.bytes.substr(0, common), kReply.substr(0, common));
            }
            if (c.keepsEnd) {
                EXPECT_EQ(out.bytes.substr(out.bytes.size() - kReply.size()), kReply);
            }
            EXPECT_EQ(out.dropped, c.settings.drop == 1);
            if (!out.dropped) {
                EXPECT_EQ(out.bytes.size(), kReply.size() + out.noiseBytes + out.lengthChange);
            }
        }
    }
}

TEST(FaultInjector, ProbabilitiesInBetweenHitSomeRepliesAndSeedsRepeat)
{
    FaultSettings settings;
    settings.drop = 0.25;
    FaultInjector first(settings, 9);
    FaultInjector second(settings, 9);
    int dropped = 0;
    for (int i = 0; i < 400; ++i) {
        const SpoiledReply a = first.apply(kReply);
        const SpoiledReply b = second.apply(kReply);
        ASSERT_EQ(a.dropped, b.dropped);
        dropped += a.dropped;
    }
    // 100 expected; the bounds are more than five standard deviations away.
    EXPECT_GT(dropped, 55);
    EXPECT_LT(dropped, 145);
}

TEST(FaultInjector, ShortNeverEmptiesAReplyAndStallSitsInside)
{
    FaultSettings settings;
    settings.shortReply = 1;
    settings.stallMs = 80;
    FaultInjector injector(settings, 1);
    struct Case {
        std::string reply;
        size_t wantStallAfter;
    };
    const Case cases[] = {{"ab", 0}, {"abc", 1}, {"a", 0}, {std::string(56, 'x'), 26}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply.size());
        const SpoiledReply out = injector.apply(c.reply);
        EXPECT_GE(out.bytes.size(), 1u);
        EXPECT_EQ(out.stallMs, 80);
        EXPECT_EQ(out.stallAfter, out.bytes.size() / 2);
        if (c.reply.size() == 56) {
            EXPECT_GE(out.stallAfter, 26u);
            EXPECT_LE(out.stallAfter, 27u);
        }
    }
    EXPECT_TRUE(injector.apply("").bytes.empty());
}
