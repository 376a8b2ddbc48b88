#include "tools/tarn-ecu-sim/EcuCommands.h"
#include "tools/tarn-ecu-sim/EcuFirmware.h"

#include <gtest/gtest.h>

#include <string>

TEST(EcuCommands, MatchesOnlyTheCurrentModesCommands)
{
    struct Case {
        EcuMode mode;
        std::string bytes;
        CommandMatch::Kind kind;
        EcuCommand command; // when complete
        size_t length;
    };
    const Case cases[] = {
        {EcuMode::Run, "S", CommandMatch::Complete, EcuCommand::Signature, 1},
        {EcuMode::Run, "A", CommandMatch::Complete, EcuCommand::RuntimeData, 1},
        {EcuMode::Run, "AS", CommandMatch::Complete, EcuCommand::RuntimeData, 1},
        {EcuMode::Run, "Man", CommandMatch::Complete, EcuCommand::EnterMenu, 3},
        {EcuMode::Run, "Ma", CommandMatch::Prefix, EcuCommand::Signature, 2},
        {EcuMode::Run, "Manqd47qd", CommandMatch::Complete, EcuCommand::EnterMenu, 3},
        {EcuMode::Run, "Mx", CommandMatch::Garbage, EcuCommand::Signature, 1},
        {EcuMode::Run, "mxc", CommandMatch::Garbage, EcuCommand::Signature, 1},
        {EcuMode::Run, "E", CommandMatch::Garbage, EcuCommand::Signature, 1},
        {EcuMode::Run, "s", CommandMatch::Garbage, EcuCommand::Signature, 1},
        {EcuMode::Boot, "S", CommandMatch::Complete, EcuCommand::Signature, 1},
        {EcuMode::Boot, "E", CommandMatch::Complete, EcuCommand::LeaveBoot, 1},
        {EcuMode::Boot, "A", CommandMatch::Garbage, EcuCommand::Signature, 1},
        {EcuMode::Boot, "Man", CommandMatch::Garbage, EcuCommand::Signature, 1},
        {EcuMode::Menu, "mxc", CommandMatch::Complete, EcuCommand::MenuProbe, 3},
        {EcuMode::Menu, "mmbye", CommandMatch::Complete, EcuCommand::LeaveMenu, 5},
        {EcuMode::Menu, "m", CommandMatch::Prefix, EcuCommand::Signature, 1},
        {EcuMode::Menu, "mmby", CommandMatch::Prefix, EcuCommand::Signature, 4},
        {EcuMode::Menu, "mmx", CommandMatch::Garbage, EcuCommand::Signature, 1},
        {EcuMode::Menu, "Manqd47q", CommandMatch::Prefix, EcuCommand::Signature, 8},
        {EcuMode::Menu, "Manqd47qd", CommandMatch::Complete, EcuCommand::EnterBoot, 9},
        {EcuMode::Menu, "Man", CommandMatch::Prefix, EcuCommand::Signature, 3},
        {EcuMode::Menu, "S", CommandMatch::Garbage, EcuCommand::Signature, 1},
        {EcuMode::Menu, std::string("\0mxc", 4), CommandMatch::Garbage, EcuCommand::Signature, 1},
        {EcuMode::Menu, "", CommandMatch::Empty, EcuCommand::Signature, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(ModeWord(c.mode)) + " '" + c.bytes + "'");
        const CommandMatch match = MatchCommand(
            c.mode, reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size());
        EXPECT_EQ(match.kind, c.kind);
        EXPECT_EQ(match.length, c.length);
        if (c.kind == CommandMatch::Complete) {
            EXPECT_EQ(match.command, c.command);
        }
    }
}

TEST(EcuCommands, ModeWordsAndSpeeds)
{
    struct Case {
        const char* word;
        EcuMode mode;
        int baud;
    };
    const Case cases[] = {
        {"boot", EcuMode::Boot, 19200}, {"run", EcuMode::Run, 9600}, {"menu", EcuMode::Menu, 9600}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.word);
        EcuMode mode = EcuMode::Menu == c.mode ? EcuMode::Boot : EcuMode::Menu;
        ASSERT_TRUE(ParseModeWord(c.word, mode));
        EXPECT_EQ(mode, c.mode);
        EXPECT_EQ(ModeLineSpeed(mode), c.baud);
    }
    EcuMode mode = EcuMode::Run;
    for (const char* bad : {"Boot", "", "runs", "12"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseModeWord(bad, mode));
        EXPECT_EQ(mode, EcuMode::Run);
    }
}

TEST(EcuFirmware, CommandsAnswerAndMoveBetweenModes)
{
    struct Step {
        EcuCommand command;
        std::string reply;
        bool isAnswer;
        EcuMode after;
    };
    int blocks = 0;
    EcuFirmware firmware(EcuMode::Boot, [&blocks]() { return "block" + std::to_string(++blocks); });
    const Step steps[] = {
        {EcuCommand::Signature, "AVREFI1", true, EcuMode::Boot},
        {EcuCommand::LeaveBoot, kBootExitText, false, EcuMode::Run},
        {EcuCommand::Signature, "TARN Corecard v3", true, EcuMode::Run},
        {EcuCommand::RuntimeData, "block1", true, EcuMode::Run},
        {EcuCommand::RuntimeData, "block2", true, EcuMode::Run},
        {EcuCommand::EnterMenu, kMenuPrompt, false, EcuMode::Menu},
        {EcuCommand::MenuProbe, "Yes, menu and comm worx", true, EcuMode::Menu},
        {EcuCommand::LeaveMenu, "", false, EcuMode::Run},
        {EcuCommand::EnterMenu, kMenuPrompt, false, EcuMode::Menu},
        {EcuCommand::EnterBoot, "", false, EcuMode::Boot},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(CommandText(step.command));
        const FirmwareReply reply = firmware.handle(step.command);
        EXPECT_EQ(reply.bytes, step.reply);
        EXPECT_EQ(reply.isAnswer, step.isAnswer);
        EXPECT_EQ(firmware.mode(), step.after);
    }
    // What a mode switch prints fits in what the dashboard drops after it.
    EXPECT_LE(std::string(kBootExitText).size(), 32u);
    EXPECT_LE(std::string(kMenuPrompt).size(), 4u);
}
