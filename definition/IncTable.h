#pragma once
// A lookup table from an ".inc" file, for table(x, "name.inc") in
// expressions. Two forms are read:
//   - one value per entry, as assembler data lines ("DB 210T ; comment",
//     "DW", several values joined by commas), entry i standing for x = i;
//   - pairs "x y" (or "x, y"), one per line, x rising.
// Values are decimal (a trailing T is allowed), $hex or 0xhex. ';' and '#'
// start comments. Between entries the value is interpolated linearly; below
// the first and above the last x it is the end value.
#include <wx/string.h>

#include <string>
#include <vector>

class IncTable {
public:
    // False with `error` set when the file cannot be read or holds no table.
    bool load(const wxString& path, wxString& error);
    // The same from text already in memory.
    bool parse(const std::string& text, wxString& error);
    double lookup(double x) const;
    size_t size() const { return m_y.size(); }

private:
    std::vector<double> m_x; // empty for the one-value form (x = index)
    std::vector<double> m_y;
};
