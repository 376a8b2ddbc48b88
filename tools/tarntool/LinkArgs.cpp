#include "tools/tarntool/LinkArgs.h"

#include "serial/LineTiming.h"
#include "serial/wxSerialPort.h"

#include <cstdlib>

const std::vector<std::string> kLinkOptions = {"baud", "quiet-ms"};

namespace {

// A whole decimal number in [1, max]; false otherwise.
bool ParsePositive(const std::string& text, long max, long& value)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::strtol(text.c_str(), nullptr, 10);
    return value >= 1 && value <= max;
}

} // namespace

bool LinkOptionsOf(const ParsedArgs& parsed, GenericLinkOptions& options, std::string& error)
{
    long baud = 0;
    if (!ParsePositive(parsed.value("baud", "115200"), 921600L, baud) ||
        !wxSerialPort::IsAcceptedRate(static_cast<int>(baud))) {
        error = "--baud needs a line speed: 1200, 2400, 4800, 9600, 19200, 38400, 57600, "
                "115200, 230400, 460800 or 921600";
        return false;
    }
    long quietMs = 0;
    if (!ParsePositive(parsed.value("quiet-ms", std::to_string(kShortestQuietMs)), kLongestQuietMs,
                       quietMs)) {
        error = "--quiet-ms needs a whole number of milliseconds from 1 to " +
                std::to_string(kLongestQuietMs);
        return false;
    }
    options.baud = static_cast<int>(baud);
    options.quietMs = static_cast<int>(quietMs);
    return true;
}
