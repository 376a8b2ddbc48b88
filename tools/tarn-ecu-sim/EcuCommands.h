#pragma once
// The ECU's modes and the commands each mode understands. Commands are plain
// ASCII without terminator, so the firmware recognises them by matching the
// bytes received so far against the commands of its current mode.
#include <cstddef>
#include <cstdint>

enum class EcuMode { Boot = 11, Run = 12, Menu = 13 };

// 19200 baud for the boot loader, 9600 for the running firmware and its menu.
int ModeLineSpeed(EcuMode mode);
// "boot", "run", "menu": the words of the --mode option.
const char* ModeWord(EcuMode mode);
// Parses a --mode word; false for anything else.
bool ParseModeWord(const char* word, EcuMode& mode);

enum class EcuCommand {
    Signature,  // "S" in boot and run
    LeaveBoot,  // "E" in boot: start the firmware
    RuntimeData, // "A" in run
    EnterMenu,  // "Man" in run
    MenuProbe,  // "mxc" in menu
    LeaveMenu,  // "mmbye" in menu
    EnterBoot,  // "Manqd47qd" in menu
};

const char* CommandText(EcuCommand command);

struct CommandMatch {
    enum Kind {
        Empty,    // nothing to look at
        Complete, // `command` occupies the first `length` bytes
        Prefix,   // all the bytes are the start of a command: wait for more
        Garbage,  // the first byte starts no command of this mode: drop it
    };
    Kind kind = Empty;
    EcuCommand command = EcuCommand::Signature;
    size_t length = 0;
};

// Looks at the start of `bytes` for a command of `mode`.
CommandMatch MatchCommand(EcuMode mode, const uint8_t* bytes, size_t count);
