#pragma once
// Walking the lines of a text log held in memory: a line ends at CR, LF or
// CR LF, and a last line without terminator counts.

inline bool IsLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// The start of the line after the one ending at `lineEnd`.
inline const char* AfterLineEnd(const char* lineEnd, const char* end)
{
    if (lineEnd == end)
        return end;
    if (*lineEnd == '\r' && lineEnd + 1 != end && lineEnd[1] == '\n')
        return lineEnd + 2;
    return lineEnd + 1;
}

// The end of the line that starts at `p`; `next` gets the start of the next
// line (`end` after the last).
inline const char* FindLineEnd(const char* p, const char* end, const char*& next)
{
    while (p != end && !IsLineEnd(*p))
        ++p;
    next = AfterLineEnd(p, end);
    return p;
}
