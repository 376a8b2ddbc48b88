#pragma once
// Time on the serial line. A character is 10 bits on the wire (start, 8
// data, stop); a transfer of n bytes is given n + 20 ms; a reply is over once
// the line stays quiet for 3 character times. The device layer, the links
// and the simulator all pace the line by these figures.
#include <chrono>
#include <cstddef>

constexpr int kBitsPerCharacter = 10;
constexpr int kTransferSlackMs = 20;
constexpr int kQuietCharacters = 3;
// USB adapters hand bytes over in chunks up to 16 ms apart: a quiet line is
// not told from a pause any sooner than this.
constexpr int kShortestQuietMs = 20;
// A window past this would make a link slower than any ECU is worth.
constexpr int kLongestQuietMs = 1000;

// The time of `characters` characters at `baud` (0 or less taken as 1),
// rounded up to whole milliseconds.
int lineMs(size_t characters, int baud);
// The quiet gap that ends a reply at `baud`: 3 character times, rounded up.
int quietGapMs(int baud);
// The exact time of one character at `baud`.
std::chrono::nanoseconds characterTime(int baud);
