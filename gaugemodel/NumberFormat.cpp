#include "gaugemodel/NumberFormat.h"

#include <wx/crt.h>

bool IsSafeNumberFormat(const wxString& format)
{
    int conversions = 0;
    for (auto it = format.begin(); it != format.end(); ++it) {
        if (*it != '%')
            continue;
        if (++it == format.end())
            return false;
        if (*it == '%')
            continue;
        while (it != format.end() && wxStrchr(L"-+ #0", wxChar(*it)))
            ++it;
        int widthDigits = 0;
        while (it != format.end() && wxIsdigit(*it) && ++widthDigits <= 3)
            ++it;
        if (it != format.end() && *it == '.') {
            ++it;
            int precisionDigits = 0;
            while (it != format.end() && wxIsdigit(*it) && ++precisionDigits <= 2)
                ++it;
        }
        if (it == format.end() || !wxStrchr(L"fFeEgG", wxChar(*it)))
            return false;
        ++conversions;
    }
    return conversions == 1;
}

wxString FormatNumber(const wxString& format, double value)
{
    return wxString::Format(IsSafeNumberFormat(format) ? format : wxString("%.0f"), value);
}
