#include "tools/tarn-ecu-sim/EcuCommands.h"

#include <cstring>
#include <initializer_list>

namespace {

struct CommandEntry {
    EcuMode mode;
    EcuCommand command;
    const char* text;
};

const CommandEntry kCommands[] = {
    {EcuMode::Boot, EcuCommand::Signature, "S"},
    {EcuMode::Boot, EcuCommand::LeaveBoot, "E"},
    {EcuMode::Run, EcuCommand::Signature, "S"},
    {EcuMode::Run, EcuCommand::RuntimeData, "A"},
    {EcuMode::Run, EcuCommand::EnterMenu, "Man"},
    {EcuMode::Menu, EcuCommand::MenuProbe, "mxc"},
    {EcuMode::Menu, EcuCommand::LeaveMenu, "mmbye"},
    {EcuMode::Menu, EcuCommand::EnterBoot, "Manqd47qd"},
};

} // namespace

int ModeLineSpeed(EcuMode mode)
{
    return mode == EcuMode::Boot ? 19200 : 9600;
}

const char* ModeWord(EcuMode mode)
{
    switch (mode) {
    case EcuMode::Boot:
        return "boot";
    case EcuMode::Run:
        return "run";
    case EcuMode::Menu:
        return "menu";
    }
    return "?";
}

bool ParseModeWord(const char* word, EcuMode& mode)
{
    for (EcuMode candidate : {EcuMode::Boot, EcuMode::Run, EcuMode::Menu}) {
        if (std::strcmp(word, ModeWord(candidate)) == 0) {
            mode = candidate;
            return true;
        }
    }
    return false;
}

const char* CommandText(EcuCommand command)
{
    for (const CommandEntry& entry : kCommands)
        if (entry.command == command)
            return entry.text;
    return "?";
}

CommandMatch MatchCommand(EcuMode mode, const uint8_t* bytes, size_t count)
{
    CommandMatch match;
    if (count == 0)
        return match;
    bool prefix = false;
    for (const CommandEntry& entry : kCommands) {
        if (entry.mode != mode)
            continue;
        const size_t length = std::strlen(entry.text);
        const size_t compared = count < length ? count : length;
        if (std::memcmp(bytes, entry.text, compared) != 0)
            continue;
        if (count >= length) {
            match.kind = CommandMatch::Complete;
            match.command = entry.command;
            match.length = length;
            return match;
        }
        prefix = true;
    }
    match.kind = prefix ? CommandMatch::Prefix : CommandMatch::Garbage;
    match.length = prefix ? count : 1;
    return match;
}
