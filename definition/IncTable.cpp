#include "definition/IncTable.h"

#include "base/RegularFile.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <locale>
#include <sstream>

namespace {

const size_t kMaxEntries = 1 << 20;

// A number of the .inc forms; false when `word` is none.
bool readValue(std::string word, double& value)
{
    if (word.empty())
        return false;
    int base = 10;
    if (word[0] == '$') {
        word.erase(0, 1);
        base = 16;
    } else if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        word.erase(0, 2);
        base = 16;
    } else if (word.back() == 'T' || word.back() == 't') {
        word.pop_back();
    }
    if (word.empty())
        return false;
    char* end = nullptr;
    if (base == 16) {
        const unsigned long v = std::strtoul(word.c_str(), &end, 16);
        value = static_cast<double>(v);
    } else {
        std::istringstream in(word);
        in.imbue(std::locale::classic());
        in >> value;
        if (!in || in.peek() != std::char_traits<char>::eof())
            return false;
        return std::isfinite(value);
    }
    return end && *end == '\0';
}

std::string upper(std::string word)
{
    for (char& c : word)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return word;
}

} // namespace

bool IncTable::load(const wxString& path, wxString& error)
{
    // A regular file only: a named pipe would hold the definition file's
    // reader forever.
    std::string text;
    std::string reason;
    if (!ReadRegularFile(std::string(path.fn_str()), text, reason)) {
        error = "cannot open " + path + ": " + wxString::FromUTF8(reason);
        return false;
    }
    if (text.size() > (64u << 20)) {
        error = path + " is too large for a lookup table";
        return false;
    }
    if (!parse(text, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool IncTable::parse(const std::string& text, wxString& error)
{
    m_x.clear();
    m_y.clear();
    bool dataLines = false, pairLines = false;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        const size_t comment = line.find_first_of(";#");
        if (comment != std::string::npos)
            line.erase(comment);
        for (char& c : line)
            if (c == ',' || c == '\t' || c == '\r')
                c = ' ';
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string word; words >> word;)
            fields.push_back(word);
        if (fields.empty())
            continue;
        const std::string directive = upper(fields[0]);
        if (directive == "DB" || directive == "DW") {
            dataLines = true;
            for (size_t i = 1; i < fields.size(); ++i) {
                double v = 0;
                if (!readValue(fields[i], v)) {
                    error = wxString::Format("line %d: '%s' is not a value", lineNumber, fields[i]);
                    return false;
                }
                m_y.push_back(v);
            }
        } else {
            double x = 0, y = 0;
            if (fields.size() != 2 || !readValue(fields[0], x) || !readValue(fields[1], y)) {
                error = wxString::Format("line %d is neither a DB/DW line nor an \"x y\" pair",
                                         lineNumber);
                return false;
            }
            if (!m_x.empty() && !(x > m_x.back())) {
                error = wxString::Format("line %d: x does not rise", lineNumber);
                return false;
            }
            pairLines = true;
            m_x.push_back(x);
            m_y.push_back(y);
        }
        if (dataLines && pairLines) {
            error = wxString::Format("line %d mixes DB/DW lines with \"x y\" pairs", lineNumber);
            return false;
        }
        if (m_y.size() > kMaxEntries) {
            error = "more entries than a lookup table may hold";
            return false;
        }
    }
    if (m_y.empty()) {
        error = "no entries";
        return false;
    }
    return true;
}

double IncTable::lookup(double x) const
{
    if (m_y.empty() || std::isnan(x))
        return 0.0;
    const size_t n = m_y.size();
    if (m_x.empty()) {
        if (x <= 0)
            return m_y.front();
        if (x >= static_cast<double>(n - 1))
            return m_y.back();
        const size_t i = static_cast<size_t>(x);
        const double f = x - static_cast<double>(i);
        return f == 0 ? m_y[i] : m_y[i] + (m_y[i + 1] - m_y[i]) * f;
    }
    if (x <= m_x.front())
        return m_y.front();
    if (x >= m_x.back())
        return m_y.back();
    const size_t hi = static_cast<size_t>(std::lower_bound(m_x.begin(), m_x.end(), x) - m_x.begin());
    const double f = (x - m_x[hi - 1]) / (m_x[hi] - m_x[hi - 1]);
    return m_y[hi - 1] + (m_y[hi] - m_y[hi - 1]) * f;
}
