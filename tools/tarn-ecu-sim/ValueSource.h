#pragma once
// Where the simulated ECU's engine values come from: a recorded datalog or
// the built-in engine model.
#include <wx/string.h>

class ValueSource {
public:
    virtual ~ValueSource() = default;
    // Moves to the next set of values (the next record, the present moment).
    virtual void advance() = 0;
    // The value of a channel, its name given in lower case; false when the
    // source knows no such name.
    virtual bool value(const wxString& lowerName, double& out) const = 0;
};
