#include "datalog/RTDataMgrFile.h"

#include "base/DebugLog.h"

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {

const int kTitleLine = 0;
const int kHeaderLine = 1;

// strtod reads "." only in the C locale; the dashboard may run in another.
locale_t CLocale()
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

bool IsDigit(wxUniChar c)
{
    return c >= '0' && c <= '9';
}

// Blanks that wcstod skips before a number in the C locale.
bool IsBlank(wxUniChar c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

RTDataMgrFile::RTDataMgrFile(const wxString& fileName)
{
    openResult = open(fileName);
    readHeader();
}

std::unique_ptr<RTDataMgrFile> RTDataMgrFile::FromBytes(std::string bytes)
{
    std::unique_ptr<RTDataMgrFile> input(new RTDataMgrFile());
    input->openResult = input->openBytes(std::move(bytes));
    input->readHeader();
    return input;
}

void RTDataMgrFile::readHeader()
{
    // Stops on the header line, or at the end of a file too short to have one.
    while (getLineIndex() < kHeaderLine && readNext()) {
    }
}

void RTDataMgrFile::processLine()
{
    const int index = getLineIndex();
    if (index == kTitleLine)
        return;
    if (index == kHeaderLine) {
        SplitFields(getCurrentLine(), header);
        return;
    }
    SplitFields(getCurrentLine(), fields);
    if (header.empty() || fields.size() != header.size())
        return;
    record.resize(fields.size());
    for (size_t i = 0; i < fields.size(); ++i)
        record[i] = ParseNumber(fields[i]);
}

void RTDataMgrFile::Update()
{
    readNext();
    if (!valueMap)
        return;
    // Erasing while walking would invalidate the walk; collect first.
    std::vector<wxString> unserved;
    for (ValueMap::iterator it = valueMap->begin(); it != valueMap->end(); ++it) {
        DebugLog(0, it->first);
        const int column = FindColumn(it->first);
        if (column >= 0 && static_cast<size_t>(column) < record.size())
            it->second = record[column];
        else
            unserved.push_back(it->first);
    }
    for (const wxString& name : unserved)
        valueMap->erase(name);
}

double RTDataMgrFile::GetValue(const wxString& name)
{
    const int column = FindColumn(name);
    if (column < 0) {
        DebugLog(0, "symbol not found : " + name);
        return -1.0;
    }
    if (static_cast<size_t>(column) >= record.size())
        return -1.0; // no complete record yet
    return record[column];
}

bool RTDataMgrFile::HasValue(const wxString& name)
{
    return FindColumn(name) >= 0;
}

int RTDataMgrFile::FindColumn(const wxString& name) const
{
    for (size_t i = 0; i < header.size(); ++i)
        if (header[i].CmpNoCase(name) == 0)
            return static_cast<int>(i);
    return -1;
}

void RTDataMgrFile::SplitFields(const wxString& line, std::vector<wxString>& out)
{
    // A run of tabs is one separator; leading and trailing tabs give no field.
    out.clear();
    wxString::const_iterator it = line.begin();
    const wxString::const_iterator end = line.end();
    while (it != end) {
        while (it != end && *it == '\t')
            ++it;
        if (it == end)
            break;
        const wxString::const_iterator start = it;
        while (it != end && *it != '\t')
            ++it;
        out.emplace_back(start, it);
    }
}

double RTDataMgrFile::ParseNumber(const wxString& field)
{
    wxString::const_iterator it = field.begin();
    const wxString::const_iterator end = field.end();
    while (it != end && IsBlank(*it))
        ++it;

    std::string text;
    if (it != end && (*it == '+' || *it == '-'))
        text += static_cast<char>((*it++).GetValue());
    size_t digits = 0;
    while (it != end && IsDigit(*it)) {
        text += static_cast<char>((*it++).GetValue());
        ++digits;
    }
    if (it != end && *it == '.') {
        text += '.';
        ++it;
        while (it != end && IsDigit(*it)) {
            text += static_cast<char>((*it++).GetValue());
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    // The exponent counts only when digits follow it: "1e" and "1e+" read 1.
    if (it != end && (*it == 'e' || *it == 'E')) {
        wxString::const_iterator e = it + 1;
        std::string exponent = "e";
        if (e != end && (*e == '+' || *e == '-'))
            exponent += static_cast<char>((*e++).GetValue());
        if (e != end && IsDigit(*e)) {
            while (e != end && IsDigit(*e))
                exponent += static_cast<char>((*e++).GetValue());
            text += exponent;
        }
    }
    const locale_t c = CLocale();
    const double value = c ? strtod_l(text.c_str(), nullptr, c) : std::strtod(text.c_str(), nullptr);
    if (std::isinf(value))
        return value > 0 ? DBL_MAX : -DBL_MAX;
    return value;
}
