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

} // namespace

Datalog::Format DatalogLoader::Sniff(const std::string& bytes)
{
    const size_t probe = std::min(bytes.size(), kBinaryProbe);
    if (bytes.compare(0, 5, BinaryLog::kMagic, 5) == 0 || std::memchr(bytes.data(), '\0', probe))
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
    return Datalog::Format::Dashboard;
}

std::unique_ptr<Datalog> DatalogLoader::FromBytes(std::string bytes, const wxString& name)
{
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
    return {0, FromBytes(std::move(bytes), path)};
}
