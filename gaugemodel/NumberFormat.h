#pragma once
// Label formats come from the definition file, so a format is only used when it
// holds exactly one floating-point conversion (and any number of "%%"). Anything
// else ("%s", "%n", two conversions) would read past the argument list.
#include <wx/string.h>

bool IsSafeNumberFormat(const wxString& format);

// `value` formatted with `format`, or with "%.0f" when the format is not safe.
wxString FormatNumber(const wxString& format, double value);
