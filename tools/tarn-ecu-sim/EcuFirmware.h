#pragma once
// What the ECU firmware does with each command: the signature of the mode it
// is in, the runtime data block, or a move to another mode. The line itself
// (speeds, pacing, faults) is the Simulator's business.
#include "tools/tarn-ecu-sim/EcuCommands.h"
#include "tools/tarn-ecu-sim/SerialFirmware.h"

#include <functional>
#include <string>

extern const char* const kBootSignature;  // "AVREFI1"
extern const char* const kRunSignature;   // "TARN Corecard v3"
extern const char* const kMenuSignature;  // "Yes, menu and comm worx"
// Sent after "E" before the firmware takes over; the dashboard drops up to 32 bytes.
extern const char* const kBootExitText;
// Sent after "Man"; the dashboard drops up to 4 bytes.
extern const char* const kMenuPrompt;

class EcuFirmware : public SerialFirmware {
public:
    using BlockFunction = std::function<std::string()>;
    EcuFirmware(EcuMode start, BlockFunction block);

    EcuMode mode() const { return current; }
    // Carries out a command of the current mode (MatchCommand only finds those).
    FirmwareReply handle(EcuCommand command);

    int lineSpeed() const override { return ModeLineSpeed(current); }
    std::string stateName() const override;
    size_t longestCommand() const override;
    CommandStart match(const uint8_t* bytes, size_t count) const override;
    FirmwareReply serve(const uint8_t* bytes, size_t length, SimLog& log) override;

private:
    EcuMode current;
    BlockFunction nextBlock;
};
