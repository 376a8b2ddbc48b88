#include "datalog/DatalogLoader.h"

#include "datalog/BinaryLog.h"
#include "datalog/DashboardLog.h"
#include "datalog/TextLines.h"
#include "datalog/TextLog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
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
    std::ifstream in(static_cast<const char*>(path.fn_str()), std::ios::binary);
    if (!in)
        return {-2, std::make_unique<UnreadLog>(path, path + ": cannot open: " + wxString(std::strerror(errno)))};
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        return {-2, std::make_unique<UnreadLog>(path, path + ": cannot read")};
    if (static_cast<uint64_t>(size) > Datalog::kMaxFileBytes) {
        const wxString why = wxString::Format("%s: %lld bytes is too large for a datalog", path,
                                              static_cast<long long>(size));
        return {-2, std::make_unique<UnreadLog>(path, why)};
    }
    in.seekg(0, std::ios::beg);
    std::string bytes;
    try {
        bytes.resize(static_cast<size_t>(size));
    } catch (const std::exception&) {
        return {-2, std::make_unique<UnreadLog>(path, path + ": not enough memory to read it")};
    }
    if (size > 0 && !in.read(&bytes[0], size))
        return {-2, std::make_unique<UnreadLog>(path, path + ": cannot read")};
    return {0, FromBytes(std::move(bytes), path)};
}
