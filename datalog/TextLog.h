#pragma once
// Text logs of the common tuning suites (".msl", and ".csv" exports with ";"):
//
//   "title line"            zero or more, each one quoted cell
//   Time<TAB>RPM<TAB>...    the header: channel names
//   s<TAB>RPM<TAB>...       the units line, when the line after the header
//                           does not read as numbers (optional)
//   105.169<TAB>1054<TAB>.. records: one number per header cell
//   MARK 001 - ...          markers between records
//
// Cells are split at every separator, so empty cells count. A line with
// another number of cells, or a cell that is neither a number nor empty, is
// not a record (a problem names its line); an empty cell of a record is a
// value not recorded (NaN), and a record needs one number. Empty lines are
// passed over. In ";" files a
// decimal comma is read as well. Text is UTF-8 when valid, else ISO-8859-1,
// line by line.
#include "datalog/Datalog.h"

class TextLog : public Datalog {
public:
    TextLog(std::string fileBytes, const wxString& fileName);

    Format GetFormat() const override { return Format::Text; }
    wxString Describe() const override { return "text log"; }
    size_t RecordCount() const override { return records.size(); }
    double Value(size_t record, size_t column) const override;

    // Whether `line` is a title line: one quoted cell.
    static bool IsTitleLine(const char* begin, const char* end);

private:
    // Scans a candidate record line; false, with a problem for `lineNumber`,
    // when it is not a record.
    bool IsRecord(const char* begin, const char* end, size_t lineNumber);
    bool AllCellsAreNumbers(const char* begin, const char* end) const;
    // The fast path for the bulk of a log: scans the line at `p` once and
    // says whether it is a record; returns its end.
    const char* ScanRecord(const char* p, const char* end, bool& isRecord) const;
    void SetSeparator(char sep);
    std::vector<wxString> SplitCells(const char* begin, const char* end) const;

    char separator = '\t';
    uint8_t cellClass[256]; // of each byte, for ScanRecord
    std::vector<uint32_t> records; // offset of each record line
};
