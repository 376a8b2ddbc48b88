#pragma once
// Command line of tarn-ecu-sim. Options may stand anywhere, as "--name value"
// or "--name=value"; "--" ends them. The simulator takes no operands.
#include "tools/tarn-ecu-sim/EcuCommands.h"
#include "tools/tarn-ecu-sim/FaultInjector.h"

#include <cstdint>
#include <string>
#include <vector>

struct SimOptions {
    std::string ini;
    std::string tune; // values of the pages of constants
    std::string datalog;
    std::string link;
    std::string log;
    EcuMode mode = EcuMode::Run;
    size_t replyLength = 56;
    bool replyLengthGiven = false;
    int baud = 115200; // the line speed of a firmware other than the built-in one
    bool baudGiven = false;
    std::string signature; // answer with this signature instead of the file's
    bool signatureGiven = false;
    FaultSettings faults;
    long hangupAfter = 0; // 0: never
    bool haveSeed = false;
    uint64_t seed = 0;
};

enum class OptionsOutcome { Run, Help, Error };

OptionsOutcome ParseSimOptions(const std::vector<std::string>& args, SimOptions& options,
                               std::string& error);

// The --help text.
const char* SimUsage();

constexpr size_t kMaxReplyLength = 1024;
constexpr long kMaxStallMs = 60000;
