#pragma once
// What the dashboard can say about its line to the ECU.
#include <string>

struct LinkState {
    enum Kind {
        Idle,       // nothing asked yet
        Searching,  // the port is open; looking for the ECU in its running mode
        Connected,  // the last fetch brought a good record
        NoReply,    // the port is open but nothing on it answers as the ECU
        CannotOpen, // the port cannot be opened: `device` and `reason` say why
        // Of the link a definition file describes (link/GenericLink.h); `reason` says why.
        Refused,       // a reply came but was refused (CRC, length, status)
        WrongFirmware, // the firmware on the line is not the file's
        Unusable,      // the definition file's link settings cannot be used
    };

    Kind kind = Idle;
    int baud = 0;       // line speed while connected
    std::string device; // the file of the port
    std::string reason; // the system's words for an open failure; what the line did

    bool operator==(const LinkState& other) const
    {
        return kind == other.kind && baud == other.baud && device == other.device &&
               reason == other.reason;
    }
    bool operator!=(const LinkState& other) const { return !(*this == other); }

    // One short line for people: "ECU connected, 9600 baud", "searching for
    // the ECU", "no reply from the ECU on /dev/ttyS0", "cannot open
    // /dev/ttyS0: Permission denied", "reply to the runtime data request "A"
    // refused: CRC mismatch (...)".
    std::string describe() const;
};
