#include "link/ByteRanges.h"

#include <algorithm>

ByteRanges mergeRanges(ByteRanges ranges, int32_t size, int32_t gap)
{
    ByteRanges merged;
    for (ByteRange& range : ranges) {
        const int64_t from = std::max<int64_t>(0, range.offset);
        const int64_t to = std::min<int64_t>(size, int64_t(range.offset) + range.count);
        range = from < to ? ByteRange{int32_t(from), int32_t(to - from)} : ByteRange{0, 0};
    }
    ranges.erase(std::remove_if(ranges.begin(), ranges.end(), [](const ByteRange& r) { return r.count <= 0; }),
                 ranges.end());
    std::sort(ranges.begin(), ranges.end(),
              [](const ByteRange& a, const ByteRange& b) { return a.offset < b.offset; });
    for (const ByteRange& range : ranges) {
        if (!merged.empty() && range.offset - merged.back().end() < std::max(gap, 1)) {
            ByteRange& last = merged.back();
            last.count = std::max(last.end(), range.end()) - last.offset;
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

bool rangesCover(const ByteRanges& ranges, int32_t offset, int32_t count)
{
    const auto after = std::upper_bound(ranges.begin(), ranges.end(), offset,
                                        [](int32_t at, const ByteRange& r) { return at < r.offset; });
    if (after == ranges.begin())
        return false;
    const ByteRange& range = *(after - 1);
    return int64_t(offset) + count <= range.end();
}
