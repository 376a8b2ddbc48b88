#pragma once
// The channels a recording writes, chosen from the definition file: the
// entries of its [Datalog] section that name an output channel (plain or
// computed), or, when none does, every scalar output channel in file order.
#include <wx/string.h>

#include <vector>

class SymbolTable;

struct RecordedChannel {
    wxString name;  // the output channel; also its column's header
    wxString units; // the definition file's units
    int decimals;   // digits after the point; -1: the shortest text that reads back the same
};

std::vector<RecordedChannel> RecordedChannelsOf(const SymbolTable& table);

// Digits after the point that a printf format of the [Datalog] section
// shows: "%d" 0, "%.1f" 1, "%f" 6, "%g" -1; -2 when it is no single number
// conversion.
int DecimalsOfFormat(const wxString& format);
