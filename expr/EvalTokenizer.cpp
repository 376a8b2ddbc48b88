// The tokenizer and the recovery of the evaluator: they read the text one
// byte at a time without allocating; only names are copied out.
#include "base/AsciiText.h"
#include "base/DebugLog.h"
#include "expr/Evaluation.h"

#include <charconv>
#include <limits>

namespace {

// The value of the longest prefix of [first, last) that reads as a decimal
// number without sign or exponent; 0 when no prefix does. Too many digits
// give infinity, too small a fraction gives 0, as strtod would.
double decimalValue(const char* first, const char* last)
{
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, std::chars_format::fixed);
    if (result.ec == std::errc::invalid_argument)
        return 0.0;
    if (result.ec == std::errc::result_out_of_range) {
        for (const char* p = first; p != result.ptr && *p != '.'; ++p)
            if (*p != '0')
                return std::numeric_limits<double>::infinity();
        return 0.0;
    }
    return value;
}

} // namespace

int Evaluation::getToken()
{
    terminatorTaken = false;
    unsigned char c = 0;
    for (;;) {
        if (!input.canRead())
            return currentToken = END;
        c = input.peek();
        if (!isAsciiSpace(c))
            break;
        input.take();
        if (c == '\n')
            break;
    }

    switch (c) {
    case '\n': // already taken while skipping white space
        terminatorTaken = true;
        return currentToken = PRINT;
    case 0: // also what the end of the text yields
    case ';':
        input.take();
        terminatorTaken = true;
        return currentToken = PRINT;
    case '(': case ')': case '*': case '+': case ',': case '-':
    case '/': case ':': case '=': case '?':
        input.take();
        return currentToken = c;
    case '<':
    case '>':
        input.take();
        if (input.peek() == c) {
            input.take();
            return currentToken = (c == '<' ? SHL : SHR);
        }
        return currentToken = c;
    case '"':
        input.take();
        getName();
        // File names ("thermfactor.inc") are the texts the files pass.
        while (input.peek() == '.' || isAsciiWordChar(input.peek()))
            stringValue += wxUniChar(input.take());
        if (input.take() != '"')
            DebugLog(2, " \" expected!");
        return currentToken = STRING;
    default:
        break;
    }
    if (isAsciiDigit(c) || c == '.') {
        getNumber();
        return currentToken = NUMBER;
    }
    if (isAsciiLetter(c)) {
        getName();
        if (input.peek() == '(') {
            input.take();
            return currentToken = FUNCTION;
        }
        return currentToken = NAME;
    }
    // The byte stays unread; the recovery drops it with the rest of the statement.
    throw Error::SyntaxError("bad token");
}

void Evaluation::getName()
{
    // clear() keeps the capacity, so a name costs no allocation once a longer
    // one has been read.
    stringValue.clear();
    while (isAsciiWordChar(input.peek()))
        stringValue += wxUniChar(input.take());
    if (DebugLogEnabled())
        DebugLog(0, "Evaluation::getName(): " + stringValue);
}

void Evaluation::getNumber()
{
    const size_t start = input.pos;
    while (isAsciiDigit(input.peek()) || input.peek() == '.')
        input.take();
    const char* first = reinterpret_cast<const char*>(input.data) + start;
    numberValue = decimalValue(first, first + (input.pos - start));
}

void Evaluation::skipStatement()
{
    // When the token that failed was the statement's own ';' or newline, the
    // statement is already behind us: the next one must not be dropped too.
    if (terminatorTaken)
        return;
    while (input.canRead()) {
        const unsigned char c = input.take();
        if (c == '\n' || c == ';')
            return;
    }
}
