#include "datalog/DatalogLoader.h"

#include "base/RegularFile.h"
#include "datalog/BinaryLog.h"
#include "datalog/DashboardLog.h"
#include "datalog/TextLines.h"
#include "datalog/TextLog.h"

#include <wx/filename.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

const size_t kBinaryProbe = 16;
// No text log holds a NUL byte in its first line, however long.
const size_t kFirstLineProbe = 4096;
const char kByteOrderMark[] = "\xEF\xBB\xBF";

// What stands in for a file that could not be read: no columns, no records.
class UnreadLog : public Datalog {
public:
    UnreadLog(const wxString& logName, const wxString& why) : Datalog(std::string(), logName) { Refuse(why); }
    Format GetFormat() const override { return Format::Dashboard; }
    wxString Describe() const override { return "unread log"; }
    size_t RecordCount() const override { return 0; }
    double Value(size_t, size_t) const override { return std::numeric_limits<double>::quiet_NaN(); }
};

size_t CountOf(const char* begin, const char* end, char c)
{
    return static_cast<size_t>(std::count(begin, end, c));
}

// The dashboard's own debug log: each line starts with a time of day
// ("13:46:24: start"), which no datalog's first line does.
bool IsDebugLog(const std::string& bytes)
{
    static const char kPattern[] = "99:99:99: ";
    const size_t length = sizeof kPattern - 1;
    if (bytes.size() < length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        const bool digit = bytes[i] >= '0' && bytes[i] <= '9';
        if (kPattern[i] == '9' ? !digit : bytes[i] != kPattern[i])
            return false;
    }
    return true;
}

} // namespace

// A tuning suite's text log without its title lines: the header is first,
// its first column the time, and the units line or the first record below
// has as many cells. The dashboard's own title line names no "Time" column.
static bool StartsWithItsHeader(const char* first, const char* firstEnd, const char* second,
                                const char* secondEnd)
{
    const size_t tabs = CountOf(first, firstEnd, '\t');
    if (tabs == 0 || CountOf(second, secondEnd, '\t') != tabs)
        return false;
    const char* cell = first;
    while (cell != firstEnd && (*cell == ' ' || *cell == '"'))
        ++cell;
    const char* cellEnd = static_cast<const char*>(std::memchr(cell, '\t', static_cast<size_t>(firstEnd - cell)));
    while (cellEnd != cell && (cellEnd[-1] == ' ' || cellEnd[-1] == '"'))
        --cellEnd;
    return wxString::FromUTF8(cell, static_cast<size_t>(cellEnd - cell)).IsSameAs("Time", false);
}

Datalog::Format DatalogLoader::Sniff(const std::string& bytes)
{
    const size_t probe = std::min(bytes.size(), kBinaryProbe);
    if (bytes.compare(0, 5, BinaryLog::kMagic, 5) == 0 || std::memchr(bytes.data(), '\0', probe))
        return Datalog::Format::Binary;
    const size_t firstLine = std::min(bytes.size(), kFirstLineProbe);
    const void* const nul = std::memchr(bytes.data(), '\0', firstLine);
    if (nul && std::find_if(bytes.data(), static_cast<const char*>(nul), IsLineEnd) == nul)
        return Datalog::Format::Binary;
    const size_t skip = bytes.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
    const char* const end = bytes.data() + bytes.size();
    const char* next = nullptr;
    const char* const first = bytes.data() + skip;
    const char* const firstEnd = FindLineEnd(first, end, next);
    if (TextLog::IsTitleLine(first, firstEnd))
        return Datalog::Format::Text;
    const char* second = next;
    const char* const secondEnd = FindLineEnd(second, end, next);
    const size_t semicolons = CountOf(first, firstEnd, ';');
    if (semicolons > 0 && !std::memchr(first, '\t', firstEnd - first) &&
        !std::memchr(second, '\t', secondEnd - second) && CountOf(second, secondEnd, ';') == semicolons)
        return Datalog::Format::Text;
    if (StartsWithItsHeader(first, firstEnd, second, secondEnd))
        return Datalog::Format::Text;
    return Datalog::Format::Dashboard;
}

std::unique_ptr<Datalog> DatalogLoader::FromBytes(std::string bytes, const wxString& name)
{
    if (bytes.empty())
        return std::make_unique<UnreadLog>(name, name + ": empty file; not a datalog");
    if (IsDebugLog(bytes))
        return std::make_unique<UnreadLog>(name, name + ": the dashboard's debug log; not a datalog");
    const Datalog::Format format = Sniff(bytes);
    if (format == Datalog::Format::Binary)
        return std::make_unique<BinaryLog>(std::move(bytes), name);
    if (bytes.compare(0, 3, kByteOrderMark) == 0)
        bytes.erase(0, 3);
    if (format == Datalog::Format::Text)
        return std::make_unique<TextLog>(std::move(bytes), name);
    return std::make_unique<DashboardLog>(std::move(bytes), name);
}

DatalogLoader::Opened DatalogLoader::FromFile(const wxString& path)
{
    if (path.empty())
        return {-1, std::make_unique<UnreadLog>("datalog", "no datalog file name")};
    // Records are indexed by 32-bit offsets: a larger file is refused before
    // it is read, and again should it have grown while being read.
    const wxULongLong size = wxFileName::GetSize(path);
    std::string bytes;
    std::string error;
    if (size != wxInvalidSize && size.GetValue() > Datalog::kMaxFileBytes)
        error = "too large for a datalog";
    else if (!ReadRegularFile(std::string(path.fn_str()), bytes, error))
        bytes.clear();
    else if (bytes.size() > Datalog::kMaxFileBytes)
        error = "too large for a datalog";
    if (!error.empty())
        return {-2, std::make_unique<UnreadLog>(path, path + ": cannot read (" + wxString(error) + ")")};
    // A log being written: its last line may be cut inside a number ("9" of
    // "900"), which would read as a record. A line without its line end is
    // never replayed.
    const wxULongLong after = wxFileName::GetSize(path);
    const bool growing = after != wxInvalidSize && after.GetValue() > bytes.size();
    const bool cut = Sniff(bytes) != Datalog::Format::Binary && !bytes.empty() && bytes.back() != '\n' &&
                     bytes.back() != '\r';
    if (cut)
        bytes.erase(bytes.find_last_of("\r\n") + 1);
    std::unique_ptr<Datalog> log = FromBytes(std::move(bytes), path);
    if (growing)
        log->MarkGrowing();
    if (cut)
        log->NoteCutLastLine();
    return {0, std::move(log)};
}
