#include "definition/FieldReaders.h"

#include <wx/regex.h>

#include <cmath>
#include <limits>
#include <utility>

namespace {

// Compiled once: the reader runs on one thread, and compiling per line would
// dominate the load time of a large file.
wxRegEx& typePattern()
{
    static wxRegEx re("(U|S)(08|16|32)");
    return re;
}

// wxRegEx is PCRE (leftmost-first): with the single size tried first, "16x12"
// would stop at "16". Trying the two-size form first gives the longest match.
// Groups: 1 prefix, 2 and 3 the two sizes, 4 the single size.
wxRegEx& shapePattern()
{
    static wxRegEx re("^(Y:|X:|)(?:([0-9]+)x([0-9]+)|([0-9]+))");
    return re;
}

// Greedy groups: without a "+", every digit after ":" belongs to the high bit.
wxRegEx& bitPattern()
{
    static wxRegEx re("^([0-9]+):([0-9]+)\\+?([0-9]*)");
    return re;
}

// The text of group `index`, or "" when the group took no part in the match.
wxString group(const wxRegEx& re, const wxString& text, size_t index)
{
    size_t start = 0, length = 0;
    if (!re.GetMatch(&start, &length, index) || start == wxString::npos)
        return wxString();
    return text.substr(start, length);
}

int32_t sizeOrThrow(const wxString& digits, const char* message, int32_t line)
{
    int32_t value = 0;
    if (!digitsToInt32(digits, value))
        throw ParserException(message, line);
    return value;
}

} // namespace

bool digitsToInt32(const wxString& digits, int32_t& value)
{
    if (digits.empty())
        return false;
    int64_t sum = 0;
    for (wxString::const_iterator it = digits.begin(); it != digits.end(); ++it) {
        const wxUniChar c = *it;
        if (c < '0' || c > '9')
            return false;
        sum = sum * 10 + (c.GetValue() - '0');
        if (sum > std::numeric_limits<int32_t>::max())
            return false;
    }
    value = static_cast<int32_t>(sum);
    return true;
}

void readTypeField(const wxString& text, Symbol& symbol, int32_t line)
{
    wxRegEx& re = typePattern();
    if (!re.Matches(text)) {
        if (text.Find(wxS("F32")) == wxNOT_FOUND)
            throw ParserException("Type field error!", line);
        symbol.setType(true, 4);
        symbol.Float = true;
        return;
    }
    const bool isSigned = group(re, text, 1) == wxS("S");
    const wxString size = group(re, text, 2);
    const int32_t sizeOf = size == wxS("08") ? 1 : size == wxS("16") ? 2 : 4;
    symbol.setType(isSigned, sizeOf);
}

void readArrayShape(const wxString& text, Symbol& symbol, int32_t line)
{
    wxString shapeText = text;
    shapeText.Replace(wxS(" "), wxString());
    wxRegEx& re = shapePattern();
    if (!re.Matches(shapeText))
        throw ParserException("Array Shape error!", line);
    const bool xOrder = group(re, shapeText, 1) != wxS("Y:");
    const wxString single = group(re, shapeText, 4);
    if (!single.empty()) {
        symbol.setArray(xOrder, 1, sizeOrThrow(single, "Array size error!", line), 1);
        return;
    }
    const int32_t first = sizeOrThrow(group(re, shapeText, 2), "Array size 1 error!", line);
    const int32_t second = sizeOrThrow(group(re, shapeText, 3), "Array size 2 error!", line);
    symbol.setArray(xOrder, 2, first, second);
}

void readBitField(const LineTokenizer& tokens, Symbol& symbol, int32_t line, int field)
{
    const wxString& text = tokens.text(field);
    wxRegEx& re = bitPattern();
    if (!re.Matches(text))
        throw ParserException("BitField error!", line);
    const int32_t lo = sizeOrThrow(group(re, text, 1), "loBit value error!", line);
    const int32_t hi = sizeOrThrow(group(re, text, 2), "hiBit value error!", line);
    const wxString offsetDigits = group(re, text, 3);
    const int32_t offset =
        offsetDigits.empty() ? 0 : sizeOrThrow(offsetDigits, "offsBit value error!", line);
    wxArrayString names;
    for (int i = field + 1; i < tokens.count(); ++i)
        names.Add(tokens.text(i));
    symbol.setBits(lo, hi, offset, names);
}

void readUnitsField(const LineTokenizer& tokens, int field, Symbol& symbol)
{
    if (tokens.type(field) != TokenBrace) {
        symbol.Units = tokens.text(field);
        return;
    }
    symbol.Units.clear();
    symbol.fieldExpressions.push_back(FieldExpression{SymbolField::Units, tokens.text(field)});
}

void readScalingFields(const LineTokenizer& tokens, int first, Symbol& symbol, int32_t line,
                       wxArrayString& problems)
{
    static const std::pair<SymbolField, const char*> fields[] = {
        {SymbolField::Scale, "Scale"}, {SymbolField::Trans, "Translate"}, {SymbolField::Lo, "Low limit"},
        {SymbolField::Hi, "High limit"}, {SymbolField::Digits, "Digits"}};
    const double unknown = std::numeric_limits<double>::quiet_NaN();
    double values[5] = {1.0, 0.0, 0.0, 0.0, 0.0};
    for (int i = 0; i < 5; ++i) {
        const int token = first + i;
        const bool scaling = i < 2;
        switch (tokens.type(token)) {
        case TokenNone:
            break;
        case TokenNumber:
            values[i] = tokens.number(token);
            if (std::isfinite(values[i]))
                break;
            [[fallthrough]]; // beyond the range of a double: no number
        default:
            problems.Add(ParserException(wxString::Format("%s of %s is not a number: '%s'",
                                                          fields[i].second, symbol.Name,
                                                          tokens.text(token)),
                                         line)
                             .text());
            values[i] = scaling ? unknown : 0.0;
            break;
        case TokenBrace:
            symbol.fieldExpressions.push_back(FieldExpression{fields[i].first, tokens.text(token)});
            values[i] = scaling ? unknown : 0.0;
            break;
        }
    }
    symbol.setScaling(values[0], values[1], values[2], values[3],
                      LineTokenizer::toInt32(values[4]));
}
