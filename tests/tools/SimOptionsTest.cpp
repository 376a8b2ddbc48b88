#include "tools/tarn-ecu-sim/SimOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(SimOptions, AcceptsEveryOptionInBothForms)
{
    SimOptions options;
    std::string error;
    ASSERT_EQ(ParseSimOptions({"--ini", "a.ini", "--datalog=d.log", "--mode", "boot", "--link", "/tmp/l",
                               "--reply-length=74", "--log", "x.log", "--noise", "0.5", "--drop=0",
                               "--short", "1", "--long", "0.25", "--stall", "200", "--stall-rate", "0.5",
                               "--hangup-after", "3", "--seed", "18446744073709551615", "--baud",
                               "38400", "--signature=other", "--bad-crc", "0.1", "--bad-status",
                               "0.2", "--short-frame", "0.3", "--long-frame=0.4"},
                              options, error),
              OptionsOutcome::Run)
        << error;
    EXPECT_EQ(options.ini, "a.ini");
    EXPECT_EQ(options.datalog, "d.log");
    EXPECT_EQ(options.mode, EcuMode::Boot);
    EXPECT_EQ(options.link, "/tmp/l");
    EXPECT_EQ(options.replyLength, 74u);
    EXPECT_EQ(options.log, "x.log");
    EXPECT_DOUBLE_EQ(options.faults.noise, 0.5);
    EXPECT_DOUBLE_EQ(options.faults.drop, 0.0);
    EXPECT_DOUBLE_EQ(options.faults.shortReply, 1.0);
    EXPECT_DOUBLE_EQ(options.faults.longReply, 0.25);
    EXPECT_EQ(options.faults.stallMs, 200);
    EXPECT_DOUBLE_EQ(options.faults.stallRate, 0.5);
    EXPECT_EQ(options.hangupAfter, 3);
    EXPECT_TRUE(options.haveSeed);
    EXPECT_EQ(options.seed, 18446744073709551615ULL);
    EXPECT_EQ(options.baud, 38400);
    EXPECT_EQ(options.signature, "other");
    EXPECT_DOUBLE_EQ(options.faults.badCrc, 0.1);
    EXPECT_DOUBLE_EQ(options.faults.badStatus, 0.2);
    EXPECT_DOUBLE_EQ(options.faults.shortFrame, 0.3);
    EXPECT_DOUBLE_EQ(options.faults.longFrame, 0.4);
}

TEST(SimOptions, DefaultsWithoutOptions)
{
    SimOptions options;
    std::string error;
    ASSERT_EQ(ParseSimOptions({}, options, error), OptionsOutcome::Run);
    EXPECT_EQ(options.mode, EcuMode::Run);
    EXPECT_EQ(options.replyLength, 56u);
    EXPECT_EQ(options.baud, 115200);
    EXPECT_EQ(options.hangupAfter, 0);
    EXPECT_FALSE(options.haveSeed);
}

TEST(SimOptions, MisuseIsRefusedWithAMessageNamingIt)
{
    struct Case {
        std::vector<std::string> args;
        const char* errorPart;
    };
    const Case cases[] = {
        {{"--mode", "Run"}, "--mode"},
        {{"--noise", "1.01"}, "--noise"},
        {{"--drop", "-0.1"}, "--drop"},
        {{"--short", "nan"}, "--short"},
        {{"--long", "0.5x"}, "--long"},
        {{"--long", ""}, "--long"},
        {{"--reply-length", "0"}, "--reply-length"},
        {{"--reply-length", "1025"}, "--reply-length"},
        {{"--reply-length", "-5"}, "--reply-length"},
        {{"--reply-length", "56.5"}, "--reply-length"},
        {{"--stall", "60001"}, "--stall"},
        {{"--hangup-after", "two"}, "--hangup-after"},
        {{"--seed", "18446744073709551616"}, "--seed"},
        {{"--baud", "115201"}, "--baud wants a line speed"},
        {{"--baud", "0"}, "--baud wants a line speed"},
        {{"--bad-crc", "2"}, "--bad-crc"},
        {{"--ini"}, "--ini needs a value"},
        {{"--ini="}, "--ini wants a file name"},
        {{"--verbose"}, "unknown option --verbose"},
        {{"--noise=0.1=2"}, "--noise"},
        {{"-x"}, "unexpected argument '-x'"},
        {{"tarnv3.ini"}, "unexpected argument 'tarnv3.ini'"},
        {{"--", "--ini", "a"}, "unexpected argument '--ini'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.errorPart);
        SimOptions options;
        std::string error;
        EXPECT_EQ(ParseSimOptions(c.args, options, error), OptionsOutcome::Error);
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
    }
}

TEST(SimOptions, HelpWinsAnywhereBeforeTheEndOfOptions)
{
    struct Case {
        std::vector<std::string> args;
        OptionsOutcome want;
    };
    const Case cases[] = {
        {{"--help"}, OptionsOutcome::Help},
        {{"--mode", "bogus", "-h"}, OptionsOutcome::Help},
        {{"--", "--help"}, OptionsOutcome::Error},
    };
    for (const Case& c : cases) {
        SimOptions options;
        std::string error;
        EXPECT_EQ(ParseSimOptions(c.args, options, error), c.want);
    }
}
