#pragma once
// What the simulator's line needs of a firmware: the speed it listens and
// answers at, how it tells a command from the bytes received so far, and
// what it answers. The built-in firmware (EcuFirmware) and the firmwares that
// definition files describe (GenericFirmware) both are one.
#include <cstddef>
#include <cstdint>
#include <string>

class SimLog;

struct FirmwareReply {
    std::string bytes;
    // An answer to a probe or a data request, as opposed to the chatter of a
    // mode switch: only answers are spoiled by faults and counted for hang-ups.
    bool isAnswer = false;
};

struct CommandStart {
    enum Kind {
        Complete, // a command occupies the first `length` bytes
        Prefix,   // all the bytes are the start of a command: wait for more
        Garbage,  // the first byte starts no command: drop it
    };
    Kind kind = Garbage;
    size_t length = 0;
};

class SerialFirmware {
public:
    virtual ~SerialFirmware() = default;

    // The line speed it listens at now.
    virtual int lineSpeed() const = 0;
    // Its state for the log, e.g. "mode run".
    virtual std::string stateName() const = 0;
    // The most bytes it looks at to find a command.
    virtual size_t longestCommand() const = 0;
    // Looks at the start of `count` received bytes (count >= 1).
    virtual CommandStart match(const uint8_t* bytes, size_t count) const = 0;
    // Carries out the command in the first `length` bytes (a Complete match),
    // recording what it did in `log`.
    virtual FirmwareReply serve(const uint8_t* bytes, size_t length, SimLog& log) = 0;
};
