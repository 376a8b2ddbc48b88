#include "link/LinkState.h"

std::string LinkState::describe() const
{
    switch (kind) {
    case Idle:
        return "starting the ECU link";
    case Searching:
        return "searching for the ECU";
    case Connected:
        return "ECU connected, " + std::to_string(baud) + " baud";
    case NoReply:
        return "no reply from the ECU" + (device.empty() ? std::string() : " on " + device) +
               (reason.empty() ? std::string() : ": " + reason);
    case CannotOpen:
        return "cannot open " + device + (reason.empty() ? std::string() : ": " + reason);
    case Refused:
    case WrongFirmware:
        return reason;
    case Unusable:
        return "the definition file's link cannot be used: " + reason;
    }
    return std::string();
}
