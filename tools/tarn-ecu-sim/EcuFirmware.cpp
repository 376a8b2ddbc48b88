#include "tools/tarn-ecu-sim/EcuFirmware.h"

#include "tools/tarn-ecu-sim/SimLog.h"

#include <utility>

namespace {
// "Manqd47qd" is the longest command; more bytes than this are never needed.
constexpr size_t kLongestCommand = 16;
} // namespace

const char* const kBootSignature = "AVREFI1";
const char* const kRunSignature = "TARN Corecard v3";
const char* const kMenuSignature = "Yes, menu and comm worx";
const char* const kBootExitText = "\r\nstarting firmware\r\n";
const char* const kMenuPrompt = "\r\n> ";

EcuFirmware::EcuFirmware(EcuMode start, BlockFunction block)
    : current(start), nextBlock(std::move(block))
{
}

FirmwareReply EcuFirmware::handle(EcuCommand command)
{
    FirmwareReply reply;
    switch (command) {
    case EcuCommand::Signature:
        reply.bytes = current == EcuMode::Boot ? kBootSignature : kRunSignature;
        reply.isAnswer = true;
        break;
    case EcuCommand::MenuProbe:
        reply.bytes = kMenuSignature;
        reply.isAnswer = true;
        break;
    case EcuCommand::RuntimeData:
        reply.bytes = nextBlock();
        reply.isAnswer = true;
        break;
    case EcuCommand::LeaveBoot:
        reply.bytes = kBootExitText;
        current = EcuMode::Run;
        break;
    case EcuCommand::EnterMenu:
        reply.bytes = kMenuPrompt;
        current = EcuMode::Menu;
        break;
    case EcuCommand::LeaveMenu:
        current = EcuMode::Run;
        break;
    case EcuCommand::EnterBoot:
        // The boot loader starts at 19200 baud while the client still listens
        // at 9600: anything it said would be garbage, so it says nothing.
        current = EcuMode::Boot;
        break;
    }
    return reply;
}

std::string EcuFirmware::stateName() const
{
    return std::string("mode ") + ModeWord(current);
}

size_t EcuFirmware::longestCommand() const
{
    return kLongestCommand;
}

CommandStart EcuFirmware::match(const uint8_t* bytes, size_t count) const
{
    const CommandMatch found = MatchCommand(current, bytes, count);
    CommandStart start;
    start.length = found.length;
    start.kind = found.kind == CommandMatch::Complete ? CommandStart::Complete
                 : found.kind == CommandMatch::Prefix ? CommandStart::Prefix
                                                       : CommandStart::Garbage;
    return start;
}

FirmwareReply EcuFirmware::serve(const uint8_t* bytes, size_t length, SimLog& log)
{
    const CommandMatch found = MatchCommand(current, bytes, length);
    const EcuMode before = current;
    log.line("command \"" + Printable(CommandText(found.command)) + "\" in mode " + ModeWord(before));
    const FirmwareReply reply = handle(found.command);
    if (current != before)
        log.line(std::string("mode ") + ModeWord(before) + " -> " + ModeWord(current) + " (" +
                 std::to_string(ModeLineSpeed(current)) + " baud)");
    return reply;
}
