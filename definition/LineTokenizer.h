#pragma once
// Splits one line of the definition file into tokens. The section handlers
// read fields purely by position, so separators ("=", ",", whitespace) never
// make tokens and an absent field reads as "", TokenNone, 0.0 or 0.
// The lexer never reads past the line and reports no errors.
#include <wx/string.h>

#include <cstdint>
#include <vector>

// The numbers are fixed: the reader compares against them and tarntool prints them.
enum TokenType {
    TokenHash = 0,    // the directive marker "#"
    TokenIdent = 1,   // an identifier, or a word of a directive line
    TokenNumber = 2,  // digits, "-" and "." runs (NumberSyntax tells the rest); no hex
    TokenString = 3,  // text between double quotes
    TokenBracket = 4, // text between "[" and "]"
    TokenBrace = 5,   // text between "{" and "}"
    TokenColon = 6,   // ":"
    TokenNone = 7     // never stored: the type of an index past the last token
};

struct Token {
    wxString text;  // without quotes, brackets or braces
    TokenType type;
    double value;   // for TokenNumber; 0.0 otherwise
};

// What a number token may hold besides digits, "-" and ".": nothing in the
// dashboard's own file; in other firmwares' files an exponent ("1.0E-4"). A
// leading "." still starts no number: "msEnvelope_1.0" is a word and 0.
enum class NumberSyntax { Plain, WithExponent };

class LineTokenizer {
public:
    explicit LineTokenizer(NumberSyntax syntax = NumberSyntax::Plain) : numberSyntax(syntax) {}

    // Appends the tokens of `line`; returns the number of tokens now held.
    int tokenize(const wxString& line);

    int count() const { return static_cast<int>(tokens.size()); }
    // Past the last token: "", TokenNone, 0.0 and 0.
    const wxString& text(int i) const;
    TokenType type(int i) const;
    double number(int i) const;
    // number(i) truncated toward zero. Values beyond the 32-bit range clamp to
    // INT32_MIN / INT32_MAX (a number token can read as infinity when it has
    // hundreds of digits); NaN gives 0. The conversion is never undefined.
    int32_t integer(int i) const;

    // The double that `text` (the text of a number token) reads as: its longest
    // leading decimal number, 0.0 when there is none. Independent of the locale.
    static double parseNumber(const wxString& text);
    // The whitespace of the format: ASCII only, whatever the process locale.
    static bool isSpace(wxChar c);
    // Truncation toward zero with the clamping described at integer().
    static int32_t toInt32(double value);

private:
    bool valid(int i) const { return i >= 0 && i < count(); }

    // Where the exponent after the mantissa [start, pos) ends; `pos` when there is none.
    size_t exponentEnd(const wxStringCharType* s, size_t n, size_t start, size_t pos) const;

    NumberSyntax numberSyntax;
    std::vector<Token> tokens;
};
