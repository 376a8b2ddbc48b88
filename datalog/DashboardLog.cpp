#include "datalog/DashboardLog.h"

#include "datalog/DecimalNumber.h"
#include "datalog/TextLines.h"

#include <limits>

DashboardLog::DashboardLog(std::string fileBytes, const wxString& fileName)
    : Datalog(std::move(fileBytes), fileName)
{
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* p = begin;
    const char* next = p;
    size_t line = 0;
    for (; p != end; p = next, ++line) {
        if (line >= 2) {
            // The bulk of the file: one pass finds the line's end and counts its fields.
            size_t fields = 0;
            bool inField = false;
            const char* c = p;
            for (; c != end && !IsLineEnd(*c); ++c) {
                const bool tab = *c == '\t';
                fields += !tab && !inField;
                inField = !tab;
            }
            next = AfterLineEnd(c, end);
            const uint32_t shown = slots.empty() ? kNoRecord : slots.back();
            slots.push_back(!columns.empty() && fields == columns.size() ? static_cast<uint32_t>(p - begin) : shown);
            continue;
        }
        const char* const lineEnd = FindLineEnd(p, end, next);
        if (line == 0)
            continue; // the title
        if (CountFields(p, lineEnd) > kMaxColumns) {
            Refuse(wxString::Format("%s: line 2: the header names more than %zu columns", GetName(), kMaxColumns));
            FinishLoading(false);
            return;
        }
        for (const char* f = p; f != lineEnd;) {
            while (f != lineEnd && *f == '\t')
                ++f;
            if (f == lineEnd)
                break;
            const char* const start = f;
            while (f != lineEnd && *f != '\t')
                ++f;
            columns.push_back({DecodeText(start, f), wxString()});
        }
        // Without a header no line can be a record, but every one is a slot.
        // Pages of the reserve that no slot reaches are never touched.
        slots.reserve(static_cast<size_t>(end - next) / 16);
    }
    lineCount = line;
    if (line < 2)
        AddLineProblem(line + 1, "no header line");
    else if (columns.empty())
        AddLineProblem(2, "the header names no column");
    else if (slots.empty() || slots.back() == kNoRecord)
        AddLineProblem(line, "no record after the header");
    FinishLoading(false);
}

size_t DashboardLog::CountFields(const char* begin, const char* end)
{
    size_t fields = 0;
    bool inField = false;
    for (const char* c = begin; c != end; ++c) {
        const bool tab = *c == '\t';
        fields += !tab && !inField;
        inField = !tab;
    }
    return fields;
}

bool DashboardLog::HasValues(size_t record) const
{
    return record < slots.size() && slots[record] != kNoRecord;
}

double DashboardLog::Value(size_t record, size_t column) const
{
    if (!HasValues(record) || column >= columns.size())
        return std::numeric_limits<double>::quiet_NaN();
    const char* p = bytes.data() + slots[record];
    const char* const end = bytes.data() + bytes.size();
    const char* next = nullptr;
    const char* const lineEnd = FindLineEnd(p, end, next);
    for (size_t field = 0;; ++field) {
        while (p != lineEnd && *p == '\t')
            ++p;
        const char* const start = p;
        while (p != lineEnd && *p != '\t')
            ++p;
        if (field == column)
            return DecimalNumber::ParseLeading(start, p);
    }
}
