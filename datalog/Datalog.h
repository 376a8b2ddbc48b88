#pragma once
// A datalog held in memory: its columns, its records, the markers between
// them and a time per record, whatever format the file had. The file's bytes
// are kept as read and a value is decoded from them only when asked, so a log
// costs about its file size; records are found through an index of 4 bytes
// each.
//
// Problems met while reading name the file and the line (text) or byte
// offset (binary), e.g. "drive.msl: line 57: 3 cells where the header has 37;
// not a record". Every whole record before a fault is kept.
#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DatalogColumn {
    wxString name;
    wxString units; // as the log states them; never applied to gauge descriptions
};

// A note between records, such as "MARK 001 - Going Offline: ...".
struct DatalogMarker {
    size_t beforeRecord; // the record that follows it (RecordCount() at the end)
    wxString text;
};

class Datalog {
public:
    enum class Format {
        Dashboard, // the dashboard's own: title line, header line, tab-separated records
        Text,      // title lines, header, units line, records, MARK lines (tabs or ";")
        Binary,    // "MLVLG" versions 1 and 2
    };

    virtual ~Datalog() = default;

    virtual Format GetFormat() const = 0;
    // For people: "dashboard log", "text log", "binary log version 2".
    virtual wxString Describe() const = 0;
    virtual size_t RecordCount() const = 0;
    // The value of `column` in `record` (both in range); NaN when the record
    // has no value there (see HasValues) or the log holds no finite number.
    virtual double Value(size_t record, size_t column) const = 0;
    // False for a record that carries no values at all.
    virtual bool HasValues(size_t record) const { return record < RecordCount(); }

    // The column named "Time" (any case) in seconds, when the log has one and
    // its format paces by it; -1 otherwise.
    int GetTimeColumn() const { return timeColumn; }
    // Seconds of `record` on the log's clock; NaN without a time column.
    double Time(size_t record) const;

    const wxString& GetName() const { return name; }
    const std::vector<DatalogColumn>& Columns() const { return columns; }
    const std::vector<DatalogMarker>& Markers() const { return markers; }
    // Title lines of a text log, the info text of a binary one.
    const std::vector<wxString>& Titles() const { return titles; }
    const std::vector<wxString>& Problems() const { return problems; }
    // Set when the log cannot be used at all (wrong magic, a header that
    // contradicts itself, ...); it then has no columns and no records.
    const wxString& GetRefusal() const { return refusal; }
    // Bytes after the last whole block of a binary log (a cut-off write).
    size_t GetLeftoverBytes() const { return leftoverBytes; }
    // Whether the file grew while it was read (it is being written): only
    // what was whole then is in the log.
    bool IsGrowing() const { return growing; }
    void MarkGrowing();
    // The last line had no line end and was left out: it may have been cut.
    void NoteCutLastLine();
    // Lines of a text log by the usual rules (CR, LF or CR LF; a last line
    // without terminator counts); 0 for a binary log.
    size_t GetLineCount() const { return lineCount; }

    // Records are indexed by 32-bit offsets: larger files are refused.
    static const uint64_t kMaxFileBytes = UINT32_MAX;
    // More columns than a binary log can declare: a text header with more is
    // refused before its names take memory out of proportion to the file.
    static const size_t kMaxColumns = 65535;

protected:
    Datalog(std::string fileBytes, const wxString& fileName);

    // "NAME: line N: text" (lines counted from 1).
    void AddLineProblem(size_t line, const wxString& text);
    // "NAME: offset N: text".
    void AddOffsetProblem(size_t offset, const wxString& text);
    void Refuse(const wxString& problem);
    // Closes the problem list (a count of the ones not kept) and finds the
    // time column.
    void FinishLoading(bool pacedByTime);

    // UTF-8 when the bytes are valid UTF-8, else ISO-8859-1.
    static wxString DecodeText(const char* begin, const char* end);

    std::string bytes;
    std::vector<DatalogColumn> columns;
    std::vector<DatalogMarker> markers;
    std::vector<wxString> titles;
    size_t leftoverBytes = 0;
    size_t lineCount = 0;

private:
    void AddProblem(const wxString& text);

    wxString name;
    std::vector<wxString> problems;
    size_t problemsNotKept = 0;
    bool growing = false;
    wxString refusal;
    int timeColumn = -1;
};
