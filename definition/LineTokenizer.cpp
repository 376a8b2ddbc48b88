#include "definition/LineTokenizer.h"

#include "base/AsciiText.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

// Fixed ASCII classes: the same file must give the same tokens whatever the
// locale of the process. Other characters start no token.
bool LineTokenizer::isSpace(wxChar c)
{
    return isAsciiSpace(c);
}

namespace {

const wxString& emptyText()
{
    static const wxString empty;
    return empty;
}

} // namespace

double LineTokenizer::parseNumber(const wxString& text)
{
    std::string ascii;
    ascii.reserve(text.length());
    const wxStringCharType* chars = text.wx_str();
    for (size_t i = 0; i < text.length(); ++i)
        ascii += (chars[i] >= 0 && chars[i] < 0x80) ? static_cast<char>(chars[i]) : '?';
    // strtod takes the longest leading number: "1.2.3" reads 1.2, "-" reads 0.
    return strtod_l(ascii.c_str(), nullptr, cLocale());
}

int32_t LineTokenizer::toInt32(double value)
{
    return saturatingTrunc(value);
}

int LineTokenizer::tokenize(const wxString& line)
{
    const wxStringCharType* s = line.wx_str();
    const size_t n = line.length();
    size_t pos = 0;
    if (tokens.empty())
        tokens.reserve(16); // a gauge line has 16 fields
    auto add = [this](size_t from, size_t to, const wxStringCharType* base, TokenType kind) {
        tokens.push_back(Token{wxString(base + from, to - from), kind, 0.0});
    };

    for (;;) {
        while (pos < n && isSpace(s[pos]))
            ++pos;
        if (pos >= n || s[pos] == ';')
            break;
        if (s[pos] == '=' || s[pos] == ',')
            ++pos;
        if (pos < n && (s[pos] == ',' || s[pos] == '=')) {
            ++pos;
            continue;
        }
        if (pos >= n)
            break;

        const wxChar c = s[pos];
        if (c == '#') {
            tokens.push_back(Token{wxS("#"), TokenHash, 0.0});
            ++pos;
            // Directive words: any character that is not whitespace or part of
            // a word is dropped, so "#define a = \"b\"" and "# sub-menu" end.
            while (pos < n) {
                if (!isAsciiWordChar(s[pos])) {
                    ++pos;
                    continue;
                }
                const size_t start = pos;
                while (pos < n && isAsciiWordChar(s[pos]))
                    ++pos;
                add(start, pos, s, TokenIdent);
            }
            break;
        }
        if (c == ':') {
            tokens.push_back(Token{wxS(":"), TokenColon, 0.0});
            ++pos;
        } else if (isAsciiLetter(c)) {
            const size_t start = pos++;
            while (pos < n && isAsciiWordChar(s[pos]))
                ++pos;
            add(start, pos, s, TokenIdent);
        } else if (isAsciiDigit(c) || c == '-') {
            const size_t start = pos++;
            while (pos < n && isAsciiDigit(s[pos]))
                ++pos;
            while (pos < n && s[pos] == '.') {
                ++pos;
                while (pos < n && isAsciiDigit(s[pos]))
                    ++pos;
            }
            pos = exponentEnd(s, n, start, pos);
            add(start, pos, s, TokenNumber);
            tokens.back().value = parseNumber(tokens.back().text);
        } else if (c == '"') {
            const size_t start = ++pos;
            while (pos < n && s[pos] != '"')
                ++pos;
            add(start, pos, s, TokenString);
            if (pos < n)
                ++pos;
        } else if (c == '[' || c == '{') {
            // The closing character stays in place; it starts no token.
            const wxChar close = (c == '[') ? ']' : '}';
            const size_t start = ++pos;
            while (pos < n && s[pos] != close)
                ++pos;
            add(start, pos, s, c == '[' ? TokenBracket : TokenBrace);
        } else {
            ++pos;
        }
    }
    return count();
}

size_t LineTokenizer::exponentEnd(const wxStringCharType* s, size_t n, size_t start,
                                  size_t pos) const
{
    if (numberSyntax != NumberSyntax::WithExponent || pos >= n || (s[pos] != 'e' && s[pos] != 'E'))
        return pos;
    // Only after a mantissa with a digit: "-e5" stays "-" and a word.
    bool digit = false;
    for (size_t i = start; i < pos && !digit; ++i)
        digit = isAsciiDigit(s[i]);
    if (!digit)
        return pos;
    size_t end = pos + 1;
    if (end < n && (s[end] == '+' || s[end] == '-'))
        ++end;
    if (end >= n || !isAsciiDigit(s[end]))
        return pos;
    while (end < n && isAsciiDigit(s[end]))
        ++end;
    return end;
}

const wxString& LineTokenizer::text(int i) const
{
    return valid(i) ? tokens[static_cast<size_t>(i)].text : emptyText();
}

TokenType LineTokenizer::type(int i) const
{
    return valid(i) ? tokens[static_cast<size_t>(i)].type : TokenNone;
}

double LineTokenizer::number(int i) const
{
    return valid(i) ? tokens[static_cast<size_t>(i)].value : 0.0;
}

int32_t LineTokenizer::integer(int i) const
{
    return toInt32(number(i));
}
