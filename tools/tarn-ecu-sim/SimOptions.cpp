#include "tools/tarn-ecu-sim/SimOptions.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

bool ParseProbability(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || errno != 0 || !std::isfinite(value) || value < 0 || value > 1)
        return false;
    out = value;
    return true;
}

bool ParseWhole(const std::string& text, unsigned long long lo, unsigned long long hi,
                unsigned long long& out)
{
    if (text.empty() || text[0] < '0' || text[0] > '9')
        return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || value < lo || value > hi)
        return false;
    out = value;
    return true;
}

const char* const kValued[] = {"--ini",     "--tune",    "--datalog",      "--mode",       "--link",
                               "--reply-length", "--log",    "--noise",      "--drop",
                               "--short",   "--long",         "--stall",      "--stall-rate",
                               "--hangup-after", "--seed",   "--baud",       "--signature",
                               "--bad-crc", "--bad-status",   "--short-frame", "--long-frame"};

// The speeds a serial line offers (as the dashboard's device layer accepts them).
bool IsLineSpeed(unsigned long long baud)
{
    for (unsigned long long speed : {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400,
                                     460800, 921600})
        if (baud == speed)
            return true;
    return false;
}

bool TakesValue(const std::string& name)
{
    for (const char* valued : kValued)
        if (name == valued)
            return true;
    return false;
}

bool Apply(const std::string& name, const std::string& value, SimOptions& options,
           std::string& error)
{
    unsigned long long whole = 0;
    auto probability = [&](double& field) {
        if (ParseProbability(value, field))
            return true;
        error = "option " + name + " wants a probability from 0 to 1, not '" + value + "'";
        return false;
    };
    auto number = [&](unsigned long long lo, unsigned long long hi) {
        if (ParseWhole(value, lo, hi, whole))
            return true;
        error = "option " + name + " wants a whole number from " + std::to_string(lo) + " to " +
                std::to_string(hi) + ", not '" + value + "'";
        return false;
    };
    if (name == "--ini" || name == "--tune" || name == "--datalog" || name == "--link" ||
        name == "--log") {
        if (value.empty()) {
            error = "option " + name + " wants a file name";
            return false;
        }
        std::string& field = name == "--ini"       ? options.ini
                             : name == "--tune"    ? options.tune
                             : name == "--datalog" ? options.datalog
                             : name == "--link"    ? options.link
                                                   : options.log;
        field = value;
        return true;
    }
    if (name == "--mode") {
        if (ParseModeWord(value.c_str(), options.mode))
            return true;
        error = "option --mode wants boot, run or menu, not '" + value + "'";
        return false;
    }
    if (name == "--reply-length") {
        if (!number(1, kMaxReplyLength))
            return false;
        options.replyLength = static_cast<size_t>(whole);
        options.replyLengthGiven = true;
        return true;
    }
    if (name == "--baud") {
        if (!ParseWhole(value, 1, 921600, whole) || !IsLineSpeed(whole)) {
            error = "option --baud wants a line speed (1200, 2400, 4800, 9600, 19200, 38400, "
                    "57600, 115200, 230400, 460800 or 921600), not '" + value + "'";
            return false;
        }
        options.baud = static_cast<int>(whole);
        options.baudGiven = true;
        return true;
    }
    if (name == "--signature") {
        options.signature = value;
        options.signatureGiven = true;
        return true;
    }
    if (name == "--bad-crc")
        return probability(options.faults.badCrc);
    if (name == "--bad-status")
        return probability(options.faults.badStatus);
    if (name == "--short-frame")
        return probability(options.faults.shortFrame);
    if (name == "--long-frame")
        return probability(options.faults.longFrame);
    if (name == "--noise")
        return probability(options.faults.noise);
    if (name == "--drop")
        return probability(options.faults.drop);
    if (name == "--short")
        return probability(options.faults.shortReply);
    if (name == "--long")
        return probability(options.faults.longReply);
    if (name == "--stall-rate")
        return probability(options.faults.stallRate);
    if (name == "--stall") {
        if (!number(0, kMaxStallMs))
            return false;
        options.faults.stallMs = static_cast<int>(whole);
        return true;
    }
    if (name == "--hangup-after") {
        if (!number(0, 1000000000))
            return false;
        options.hangupAfter = static_cast<long>(whole);
        return true;
    }
    if (name == "--seed") {
        if (!number(0, UINT64_MAX))
            return false;
        options.seed = whole;
        options.haveSeed = true;
        return true;
    }
    error = "unknown option " + name;
    return false;
}

} // namespace

OptionsOutcome ParseSimOptions(const std::vector<std::string>& args, SimOptions& options,
                               std::string& error)
{
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h")
            return OptionsOutcome::Help;
    }
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            error = "unexpected argument '" + arg + "' (the simulator takes options only)";
            return OptionsOutcome::Error;
        }
        std::string name = arg;
        std::string value;
        const size_t equals = arg.find('=');
        const bool inlineValue = equals != std::string::npos;
        if (inlineValue) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        }
        if (!TakesValue(name)) {
            error = "unknown option " + name;
            return OptionsOutcome::Error;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                error = "option " + name + " needs a value";
                return OptionsOutcome::Error;
            }
            value = args[++i];
        }
        if (!Apply(name, value, options, error))
            return OptionsOutcome::Error;
    }
    return OptionsOutcome::Run;
}

const char* SimUsage()
{
    return "usage: tarn-ecu-sim [--ini FILE [--tune FILE]] [--datalog FILE] [--mode boot|run|menu]\n"
           "                    [--link PATH] [--reply-length N] [--baud N] [--signature TEXT]\n"
           "                    [--log FILE] [fault options]\n"
           "\n"
           "An ECU on a pseudo-terminal. Prints the terminal's device path as the first\n"
           "line of standard output and serves until SIGINT, SIGTERM or SIGHUP.\n"
           "\n"
           "  --ini FILE          lay the runtime data block out from the scalar output\n"
           "                      channels of this definition file. A file of another\n"
           "                      firmware (a signature other than \"TARN Corecard v3\")\n"
           "                      is served as it describes its link, see below, with\n"
           "                      its pages of constants (pageReadCommand)\n"
           "  --tune FILE         the values of those pages: this tune file's, else the\n"
           "                      definition file's defaults (zeros for the rest)\n"
           "  --datalog FILE      take the values from this datalog, one record per \"A\"\n"
           "                      request, played in a loop (default: a built-in engine\n"
           "                      that idles, revs through the gears, cruises and coasts)\n"
           "  --mode MODE         start in the boot loader (19200 baud), the running\n"
           "                      firmware (9600, the default) or its menu (9600)\n"
           "  --link PATH         make PATH a symbolic link to the device (replaced if it\n"
           "                      exists, removed on exit)\n"
           "  --reply-length N    bytes in the runtime data block (default 56, 1 to 1024;\n"
           "                      the built-in firmware only)\n"
           "  --baud N            line speed of another firmware (default 115200)\n"
           "  --signature TEXT    another firmware answers its query with TEXT instead of\n"
           "                      the file's signature (to try a dashboard against the\n"
           "                      wrong firmware)\n"
           "  --log FILE          record every command, mode change and fault, timestamped\n"
           "\n"
           "Fault options (P is a probability from 0 to 1, drawn per reply):\n"
           "  --noise P           1 to 4 garbage bytes before a reply\n"
           "  --drop P            no reply\n"
           "  --short P           a reply 1 to 4 bytes short\n"
           "  --long P            a reply 1 to 4 bytes long\n"
           "  --stall MS          a pause of MS milliseconds in the middle of a reply\n"
           "  --stall-rate P      chance that a reply stalls (default 1)\n"
           "  --hangup-after N    after every N replies sent (dropped ones do not count),\n"
           "                      close the terminal once the client has read the last one\n"
           "                      and open a new one at the same link; its path is printed\n"
           "                      as a further line. The firmware keeps its mode.\n"
           "  --seed N            seed for the fault draws, to repeat a run\n"
           "\n"
           "Faults of the framed envelope (P per frame of runtime data, at most one each):\n"
           "  --bad-crc P         a CRC that does not match the frame\n"
           "  --bad-status P      error status 0x85 (busy) instead of the answer\n"
           "  --short-frame P     a sound frame carrying 1 to 4 bytes less than asked\n"
           "  --long-frame P      a sound frame carrying 1 to 4 bytes more than the block\n"
           "\n"
           "Replies go out only when the client has set the line speed of the current\n"
           "mode, paced at 10 bits per byte. Faults spoil answers to probes and to \"A\",\n"
           "not the text a mode switch prints: after \"E\" the boot loader says\n"
           "\"\\r\\nstarting firmware\\r\\n\" (21 bytes at 19200 baud), after \"Man\" the menu\n"
           "prompts \"\\r\\n> \" (4 bytes); \"mmbye\" and \"Manqd47qd\" get no answer. Channels\n"
           "a datalog has no column for read 0.\n"
           "\n"
           "Without --ini the block holds, big-endian from offset 0: rpm U16 x1,\n"
           "map U16 x0.1, tps U16 x0.1, coolant S16 x0.1, mat S16 x0.1, spark S16 x0.1,\n"
           "dwell U16 x0.01, afr U16 x0.01, lambda U16 x0.001, batt U16 x0.01,\n"
           "speed U16 x0.1, pw U16 x0.001, baro U16 x0.1, duty U08 x0.5, gear U08,\n"
           "secl U08, ego U08 x0.01 (30 bytes); the rest is zero.\n"
           "\n"
           "Another firmware's file is served as it describes the link: at --baud, the\n"
           "signature for its queryCommand, a title for its versionInfo, and for its\n"
           "ochGetCommand the part of the block (ochBlockSize bytes, in the file's byte\n"
           "order, F32 and bit fields included) that the command's offset and count ask\n"
           "for. Raw, or every command and reply framed (2 bytes length, payload, CRC-32)\n"
           "when the file declares messageEnvelopeFormat = msEnvelope_1.0; a reply frame\n"
           "starts with a status (0x00 ok, 0x01 runtime data; 0x82 bad request CRC,\n"
           "0x83 unknown command, 0x84 beyond the block). The fault options above spoil\n"
           "its answers too. The built-in engine model knows the usual channel names of\n"
           "these firmwares (rpm, RPMValue, map, MAPValue, ...).\n";
}
