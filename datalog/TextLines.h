#pragma once
// Walking the lines of a text log held in memory: a line ends at CR, LF or
// CR LF, and a last line without terminator counts.

inline bool IsLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// The end of the line that starts at `p`; `next` gets the start of the next
// line (`end` after the last).
inline const char* FindLineEnd(const char* p, const char* end, const char*& next)
{
    while (p != end && !IsLineEnd(*p))
        ++p;
    next = p;
    if (next != end) {
        if (*next == '\r' && next + 1 != end && next[1] == '\n')
            ++next;
        ++next;
    }
    return p;
}
