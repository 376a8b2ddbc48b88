#pragma once
// Parts of a runtime data block, in bytes from its start. A link that can
// ask for a part of the block fetches only these, so that a block in which
// few channels are in use costs few bytes on the line.
#include <cstdint>
#include <vector>

struct ByteRange {
    int32_t offset = 0;
    int32_t count = 0;
    int32_t end() const { return offset + count; }
    bool operator==(const ByteRange& other) const { return offset == other.offset && count == other.count; }
};

using ByteRanges = std::vector<ByteRange>;

// `ranges` in order of offset, each cut to the block's `size` bytes (empty
// ones dropped), overlapping ones joined, and two joined when fewer than
// `gap` bytes lie between them: asking for a few bytes more is cheaper than
// a request of its own.
ByteRanges mergeRanges(ByteRanges ranges, int32_t size, int32_t gap);

// Whether `count` bytes at `offset` lie wholly inside one of the merged `ranges`.
bool rangesCover(const ByteRanges& ranges, int32_t offset, int32_t count);
