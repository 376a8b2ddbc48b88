#include "tools/tarn-ecu-sim/EcuFirmware.h"

#include <utility>

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
