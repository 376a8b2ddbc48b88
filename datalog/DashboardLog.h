#pragma once
// The dashboard's own datalog: line 1 a title (ignored), line 2 the header,
// every later line a record of one number per header column. Fields are
// separated by runs of tabs (leading and trailing tabs give no field); a field
// is read from its start ("12.5kPa" reads 12.5, "n/a" reads 0.0).
//
// Every line after the header is one record slot, so replaying one slot per
// tick plays one line per tick: a line whose field count differs from the
// header's repeats the record before it, and a slot before the first good line
// has no values. Malformed lines are skipped without a message.
#include "datalog/Datalog.h"

class DashboardLog : public Datalog {
public:
    DashboardLog(std::string fileBytes, const wxString& fileName);

    Format GetFormat() const override { return Format::Dashboard; }
    wxString Describe() const override { return "dashboard log"; }
    size_t RecordCount() const override { return slots.size(); }
    double Value(size_t record, size_t column) const override;
    bool HasValues(size_t record) const override;

private:
    static const uint32_t kNoRecord = UINT32_MAX;
    // Names on a tab-separated line (runs of tabs separate one pair of names).
    static size_t CountFields(const char* begin, const char* end);

    // Offset of the record line each slot shows, or kNoRecord.
    std::vector<uint32_t> slots;
};
