#pragma once
// Plays back a recorded datalog instead of asking the ECU: one line per tick.
//
// Format: line 1 is a title (ignored), line 2 the header (one value name per
// column), every further line a record of one number per column. Fields are
// separated by runs of tabs. A record whose field count differs from the
// header's is skipped and the previous record stays current.
//
// The file's bytes are kept as read (see LineReader); beyond them the input
// holds only the header and one record, so a long datalog costs its own size.
//
// What it serves:
// - a name matches the first header column equal to it regardless of case;
// - a name without a column is removed from the dispatcher's map, so gauges
//   keep what they show; GetValue answers -1.0 for it;
// - a file that cannot be read or has no header line has no columns: every
//   name is removed and HasValue answers false;
// - before the first complete record a found column has no value yet: the
//   name is removed as well (nothing is invented) and GetValue answers -1.0;
// - after the last line the last record stays; the replay never restarts.
#include "dispatch/RTDataMgr.h"
#include "definition/LineReader.h"

#include <memory>
#include <string>
#include <vector>

class RTDataMgrFile : public RTDataMgr, public LineReader {
public:
    // Reads `fileName` whole and stops on its header line (line 2), so the
    // first tick plays line 3.
    explicit RTDataMgrFile(const wxString& fileName);
    // The same over bytes already in memory.
    static std::unique_ptr<RTDataMgrFile> FromBytes(std::string bytes);

    void Update() override;
    double GetValue(const wxString& name) override;
    bool HasValue(const wxString& name) override;
    int GetKind() override { return KindFile; }

    void processLine() override;

    // LineReader::open's result: 0 when the file was read.
    int GetOpenResult() const { return openResult; }
    size_t GetColumnCount() const { return header.size(); }
    bool HasRecord() const { return !record.empty(); }

    // The number at the start of `field` (optional blanks, sign, digits,
    // decimal point ".", exponent); trailing text is ignored and a field that
    // does not start with a number reads 0.0. Independent of the C locale;
    // always finite (overflow saturates).
    static double ParseNumber(const wxString& field);

private:
    RTDataMgrFile() = default;
    void readHeader();
    // Index of the first column named `name` regardless of case, or -1.
    int FindColumn(const wxString& name) const;
    static void SplitFields(const wxString& line, std::vector<wxString>& fields);

    std::vector<wxString> header;
    std::vector<double> record; // empty until the first complete record
    std::vector<wxString> fields; // scratch, reused every line
    int openResult = 0;
};
