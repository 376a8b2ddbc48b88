#include "datalog/TextLog.h"

#include "datalog/DecimalNumber.h"
#include "datalog/TextLines.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsBlankLine(const char* begin, const char* end)
{
    for (; begin != end; ++begin)
        if (!IsBlank(*begin))
            return false;
    return true;
}

bool IsMarkerLine(const char* begin, const char* end)
{
    return end - begin >= 4 && std::memcmp(begin, "MARK", 4) == 0;
}

bool IsCellNumber(const char* begin, const char* end, char separator)
{
    return DecimalNumber::IsWhole(begin, end) ||
           (separator == ';' && DecimalNumber::IsWhole(begin, end, ','));
}

// An empty cell of a record: a value the writer did not have.
bool IsBlankCell(const char* begin, const char* end)
{
    return std::all_of(begin, end, [](char c) { return c == ' '; });
}

// A cell as people wrote it: blanks and one pair of surrounding quotes removed.
wxString CellText(const wxString& cell)
{
    wxString text = cell;
    text.Trim(true).Trim(false);
    if (text.length() >= 2 && text.StartsWith("\"") && text.EndsWith("\""))
        text = text.Mid(1, text.length() - 2);
    return text;
}

// A cell quoted in a message: printable and short.
wxString Quoted(const char* begin, const char* end)
{
    const size_t kMaxShown = 24;
    std::string shown;
    for (const char* p = begin; p != end && shown.size() < kMaxShown; ++p)
        shown += static_cast<unsigned char>(*p) < 0x20 ? '?' : *p;
    if (static_cast<size_t>(end - begin) > kMaxShown)
        shown += "...";
    return "\"" + wxString(shown.data(), wxConvISO8859_1, shown.size()) + "\"";
}

// The number grammar of DecimalNumber::IsWhole as a state machine, so that
// loading a long log reads each byte once.
enum CellClass : uint8_t { kDigit, kSign, kPoint, kExponent, kSpace, kOther, kClasses, kSeparator, kLineEnd };
enum CellState : uint8_t {
    kStart, kSigned, kInteger, kPointAfterDigits, kPointFirst, kFraction,
    kExponentMark, kExponentSign, kExponentDigits, kTrailing, kBad, kStates
};
const uint8_t kNext[kStates][kClasses] = {
    //            digit            sign           point              exponent       space      other
    /* start */  {kInteger,        kSigned,       kPointFirst,       kBad,          kStart,    kBad},
    /* signed */ {kInteger,        kBad,          kPointFirst,       kBad,          kBad,      kBad},
    /* int */    {kInteger,        kBad,          kPointAfterDigits, kExponentMark, kTrailing, kBad},
    /* 5. */     {kFraction,       kBad,          kBad,              kExponentMark, kTrailing, kBad},
    /* . */      {kFraction,       kBad,          kBad,              kBad,          kBad,      kBad},
    /* frac */   {kFraction,       kBad,          kBad,              kExponentMark, kTrailing, kBad},
    /* e */      {kExponentDigits, kExponentSign, kBad,              kBad,          kBad,      kBad},
    /* e- */     {kExponentDigits, kBad,          kBad,              kBad,          kBad,      kBad},
    /* e5 */     {kExponentDigits, kBad,          kBad,              kBad,          kTrailing, kBad},
    /* trail */  {kBad,            kBad,          kBad,              kBad,          kTrailing, kBad},
    /* bad */    {kBad,            kBad,          kBad,              kBad,          kBad,      kBad},
};

bool IsNumberEnd(uint8_t state)
{
    return state == kInteger || state == kPointAfterDigits || state == kFraction || state == kExponentDigits ||
           state == kTrailing;
}

} // namespace

void TextLog::SetSeparator(char sep)
{
    separator = sep;
    auto set = [this](char c, CellClass cls) { cellClass[static_cast<unsigned char>(c)] = cls; };
    for (int c = 0; c < 256; ++c)
        cellClass[c] = kOther;
    for (char c = '0'; c <= '9'; ++c)
        set(c, kDigit);
    set('+', kSign);
    set('-', kSign);
    set('.', kPoint);
    set('e', kExponent);
    set('E', kExponent);
    set(' ', kSpace);
    if (sep == ';')
        set(',', kPoint);
    set('\n', kLineEnd);
    set('\r', kLineEnd);
    set(sep, kSeparator);
}

const char* TextLog::ScanRecord(const char* p, const char* end, bool& isRecord) const
{
    size_t cells = 0;
    bool numbers = true;
    uint8_t state = kStart;
    for (; p != end; ++p) {
        const uint8_t c = cellClass[static_cast<unsigned char>(*p)];
        if (c == kLineEnd)
            break;
        if (c == kSeparator) {
            numbers &= IsNumberEnd(state);
            ++cells;
            state = kStart;
            continue;
        }
        state = kNext[state][c];
    }
    isRecord = numbers && IsNumberEnd(state) && cells + 1 == columns.size();
    return p;
}

bool TextLog::IsTitleLine(const char* begin, const char* end)
{
    while (begin != end && IsBlank(*begin))
        ++begin;
    while (end != begin && IsBlank(end[-1]))
        --end;
    if (end - begin < 2 || *begin != '"' || end[-1] != '"')
        return false;
    for (const char* p = begin + 1; p != end - 1; ++p)
        if (*p == '"' || *p == '\t')
            return false;
    return true;
}

TextLog::TextLog(std::string fileBytes, const wxString& fileName)
    : Datalog(std::move(fileBytes), fileName)
{
    enum class Expect { Title, UnitsOrRecord, Record };
    Expect expect = Expect::Title;
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    const char* next = begin;
    size_t line = 0;
    size_t lastLineWithText = 0;
    for (const char* p = begin; p != end; p = next) {
        ++line;
        if (expect == Expect::Record && *p != 'M') {
            bool isRecord = false;
            const char* const lineEnd = ScanRecord(p, end, isRecord);
            if (isRecord) {
                records.push_back(static_cast<uint32_t>(p - begin));
                lastLineWithText = line;
                next = AfterLineEnd(lineEnd, end);
                continue;
            }
        }
        const char* const lineEnd = FindLineEnd(p, end, next);
        if (IsBlankLine(p, lineEnd))
            continue;
        lastLineWithText = line;
        if (expect == Expect::Title) {
            if (IsTitleLine(p, lineEnd)) {
                titles.push_back(CellText(DecodeText(p, lineEnd)));
                continue;
            }
            SetSeparator(!std::memchr(p, '\t', lineEnd - p) && std::memchr(p, ';', lineEnd - p) ? ';' : '\t');
            if (static_cast<size_t>(std::count(p, lineEnd, separator)) >= kMaxColumns) {
                Refuse(wxString::Format("%s: line %zu: the header names more than %zu columns", GetName(),
                                        line, kMaxColumns));
                FinishLoading(true);
                return;
            }
            for (const wxString& cell : SplitCells(p, lineEnd))
                columns.push_back({CellText(cell), wxString()});
            // A record takes at least two bytes a cell; pages never reached stay untouched.
            records.reserve(static_cast<size_t>(end - lineEnd) / (2 * columns.size()) + 1);
            expect = Expect::UnitsOrRecord;
            continue;
        }
        if (IsMarkerLine(p, lineEnd)) {
            markers.push_back({records.size(), DecodeText(p, lineEnd).Trim(true)});
            expect = Expect::Record;
            continue;
        }
        if (expect == Expect::UnitsOrRecord) {
            expect = Expect::Record;
            if (!AllCellsAreNumbers(p, lineEnd)) {
                const std::vector<wxString> units = SplitCells(p, lineEnd);
                if (units.size() != columns.size()) {
                    AddLineProblem(line, wxString::Format("%zu units where the header has %zu columns; units ignored",
                                                          units.size(), columns.size()));
                    continue;
                }
                for (size_t i = 0; i < columns.size(); ++i)
                    columns[i].units = CellText(units[i]);
                continue;
            }
        }
        if (!IsRecord(p, lineEnd, line))
            continue;
        records.push_back(static_cast<uint32_t>(p - begin));
    }
    lineCount = line;
    if (columns.empty())
        AddLineProblem(line + 1, "no header line");
    else if (records.empty())
        AddLineProblem(lastLineWithText + 1, "no record after the header");
    FinishLoading(true);
}

std::vector<wxString> TextLog::SplitCells(const char* begin, const char* end) const
{
    std::vector<wxString> cells;
    for (const char* p = begin;; ++p) {
        const char* const start = p;
        while (p != end && *p != separator)
            ++p;
        cells.push_back(DecodeText(start, p));
        if (p == end)
            return cells;
    }
}

bool TextLog::AllCellsAreNumbers(const char* begin, const char* end) const
{
    for (const char* p = begin;; ++p) {
        const char* const start = p;
        while (p != end && *p != separator)
            ++p;
        if (!IsCellNumber(start, p, separator))
            return false;
        if (p == end)
            return true;
    }
}

bool TextLog::IsRecord(const char* begin, const char* end, size_t lineNumber)
{
    const size_t want = columns.size();
    size_t cells = 0;
    size_t numbers = 0;
    const char* badCell = nullptr;
    const char* badCellEnd = nullptr;
    for (const char* p = begin;; ++p) {
        const char* const start = p;
        while (p != end && *p != separator)
            ++p;
        if (IsCellNumber(start, p, separator)) {
            ++numbers;
        } else if (!badCell && !IsBlankCell(start, p)) {
            badCell = start;
            badCellEnd = p;
        }
        ++cells;
        if (p == end)
            break;
    }
    if (cells == want && !badCell && numbers > 0)
        return true;
    if (std::memchr(begin, '\0', end - begin))
        AddLineProblem(lineNumber, "a NUL byte; not a record");
    else if (cells != want)
        AddLineProblem(lineNumber,
                       wxString::Format("%zu cells where the header has %zu; not a record", cells, want));
    else
        AddLineProblem(lineNumber, Quoted(badCell, badCellEnd) + " is not a number; not a record");
    return false;
}

double TextLog::Value(size_t record, size_t column) const
{
    if (record >= records.size() || column >= columns.size())
        return std::numeric_limits<double>::quiet_NaN();
    const char* p = bytes.data() + records[record];
    const char* const end = bytes.data() + bytes.size();
    for (size_t cell = 0; cell < column; ++p)
        if (*p == separator)
            ++cell;
    const char* cellEnd = p;
    while (cellEnd != end && *cellEnd != separator && !IsLineEnd(*cellEnd))
        ++cellEnd;
    if (IsBlankCell(p, cellEnd))
        return std::numeric_limits<double>::quiet_NaN();
    const bool comma = separator == ';' && std::memchr(p, ',', cellEnd - p);
    return DecimalNumber::ParseLeading(p, cellEnd, comma ? ',' : '.');
}
