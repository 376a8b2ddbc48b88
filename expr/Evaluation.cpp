#include "expr/Evaluation.h"

#include "base/AsciiText.h"
#include "base/DebugLog.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

enum Level { kLogical, kShift, kAddition, kTerm, kPrim };

// Built once: the traces run on every grammar call and must not allocate.
const wxString& trace(Level level, bool get)
{
    static const wxString texts[][2] = {
        {"logical(false)", "logical(true)"}, {"shift(false)", "shift(true)"},
        {"addition(false)", "addition(true)"}, {"term(false)", "term(true)"},
        {"prim(false)", "prim(true)"},
    };
    return texts[level][get ? 1 : 0];
}

// Shift operands: truncated toward zero; outside the 32-bit range they
// saturate (so a large value never flips its sign) and NaN reads as 0.
int32_t toInt32(double value)
{
    return saturatingTrunc(value);
}

int32_t toSigned(uint32_t bits)
{
    return bits <= 0x7FFFFFFFu ? static_cast<int32_t>(bits) : -static_cast<int32_t>(~bits) - 1;
}

double shiftValue(double left, double right, bool toLeft)
{
    const int32_t value = toInt32(left);
    const unsigned count = static_cast<uint32_t>(toInt32(right)) & 0xFFu;
    if (toLeft) {
        if (count >= 32)
            return 0.0;
        // On the unsigned bits: shifting a negative number left is then defined.
        return toSigned(static_cast<uint32_t>(value) << count);
    }
    if (count >= 32)
        return value < 0 ? -1.0 : 0.0;
    // Arithmetic shift spelled out: ~value is never negative.
    return value < 0 ? ~(~value >> count) : value >> count;
}

// The UTF-8 bytes of `from`, written over `to` (which keeps its capacity).
void encodeUtf8(const wxString& from, std::string& to)
{
    to.clear();
    for (wxString::const_iterator it = from.begin(); it != from.end(); ++it) {
        const uint32_t code = (*it).GetValue();
        if (code < 0x80) {
            to += static_cast<char>(code);
        } else if (code < 0x800) {
            to += static_cast<char>(0xC0 | (code >> 6));
            to += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            to += static_cast<char>(0xE0 | (code >> 12));
            to += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            to += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            to += static_cast<char>(0xF0 | ((code >> 18) & 0x07));
            to += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            to += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            to += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
}

const wxString& divideByZeroText()
{
    static const wxString text("attempt to divide by zero \n");
    return text;
}

} // namespace

Evaluation::DepthGuard::DepthGuard(Evaluation& owner) : evaluation(owner)
{
    if (++evaluation.depth > kMaxDepth) {
        --evaluation.depth; // the destructor will not run
        throw NestingTooDeep();
    }
}

Evaluation::Evaluation() = default;
Evaluation::~Evaluation() = default;

void Evaluation::registerFunction(const wxString& name, std::unique_ptr<EvalFunction> function)
{
    if (function)
        functions[name] = std::move(function);
    else
        functions.erase(name);
}

double Evaluation::evaluate(const wxString& expression)
{
    encodeUtf8(expression, text);
    input.data = reinterpret_cast<const unsigned char*>(text.data());
    input.size = text.size();
    input.pos = 0;
    input.exhausted = false;

    nestingLimitHit = false;
    double result = 0.0;
    failed = false;
    while (input.canRead()) {
        depth = 0;
        skipping = 0;
        try {
            const int token = getToken();
            if (token == END)
                break;
            if (token == PRINT)
                continue;
            result = conditional(false);
        } catch (const Error::ZeroDivide&) {
            failed = true;
            DebugLog(0, divideByZeroText());
            skipStatement();
        } catch (const Error::SyntaxError& error) {
            failed = true;
            DebugLog(0, "syntax error: " + error.text + " \n");
            skipStatement();
        } catch (const NestingTooDeep&) {
            nestingLimitHit = true;
            DebugLog(1, wxString::Format("Evaluation: expression nested deeper than %d levels; "
                                         "the statement is dropped",
                                         kMaxDepth));
            skipStatement();
        }
    }
    return result;
}

// conditional := logical [ '?' conditional ':' conditional ]
double Evaluation::conditional(bool get)
{
    const double condition = logical(get);
    if (currentToken != '?')
        return condition;
    const bool chooseFirst = !(condition == 0.0); // NaN chooses the first branch
    DepthGuard branches(*this);
    double first = 0.0;
    {
        SkipGuard unless(*this, !chooseFirst);
        first = conditional(true);
    }
    if (currentToken != ':')
        throw Error::SyntaxError(": expected");
    double second = 0.0;
    {
        SkipGuard unless(*this, chooseFirst);
        second = conditional(true);
    }
    return chooseFirst ? first : second;
}

// logical := shift { ('<' | '>') shift }
double Evaluation::logical(bool get)
{
    DebugLog(0, trace(kLogical, get));
    double left = shift(get);
    while (currentToken == '<' || currentToken == '>') {
        const bool less = currentToken == '<';
        const double right = shift(true);
        left = (less ? left < right : left > right) ? 1.0 : 0.0;
    }
    return left;
}

// shift := addition { ('<<' | '>>') addition }
double Evaluation::shift(bool get)
{
    DebugLog(0, trace(kShift, get));
    double left = addition(get);
    while (currentToken == SHL || currentToken == SHR) {
        const bool toLeft = currentToken == SHL;
        const double right = addition(true);
        left = shiftValue(left, right, toLeft);
    }
    return left;
}

// addition := term { ('+' | '-') term }
double Evaluation::addition(bool get)
{
    DebugLog(0, trace(kAddition, get));
    double left = term(get);
    for (;;) {
        if (currentToken == '+')
            left += term(true);
        else if (currentToken == '-')
            left -= term(true);
        else
            return left;
    }
}

// term := prim { ('*' | '/') prim }
double Evaluation::term(bool get)
{
    DebugLog(0, trace(kTerm, get));
    double left = prim(get);
    for (;;) {
        if (currentToken == '*') {
            left *= prim(true);
        } else if (currentToken == '/') {
            const double divisor = prim(true);
            if (divisor == 0.0) {
                if (!skipping)
                    throw Error::ZeroDivide();
                left = 0.0;
            } else {
                left /= divisor;
            }
        } else {
            return left;
        }
    }
}

// prim := NUMBER | NAME [ '=' conditional ] | FUNCTION args ')'
//       | '-' prim | '(' conditional ')'
double Evaluation::prim(bool get)
{
    DebugLog(0, trace(kPrim, get));
    if (get)
        getToken();

    switch (currentToken) {
    case NUMBER: {
        const double value = numberValue;
        getToken();
        return value;
    }
    case NAME: {
        if (!table)
            throw Error::SyntaxError("table is not set!)");
        double value = 0.0;
        if (!skipping) {
            ValueMap::iterator it = table->find(stringValue);
            if (it == table->end()) {
                DebugLog(0, "Evaluation::prim() variable not found in hash table!!! " + stringValue);
                (*table)[stringValue] = 0.0;
            } else {
                value = it->second;
            }
        }
        if (getToken() == '=') {
            DepthGuard assignment(*this);
            return conditional(true); // the table keeps its value
        }
        return value;
    }
    case FUNCTION: {
        DepthGuard call(*this);
        return callFunction();
    }
    case '-': {
        DepthGuard minus(*this);
        return -prim(true);
    }
    case '(': {
        DepthGuard bracket(*this);
        const double value = conditional(true);
        if (currentToken != ')')
            throw Error::SyntaxError(") expected");
        getToken();
        return value;
    }
    default:
        throw Error::SyntaxError("primary expected");
    }
}

// args := [ argument { ',' argument } ]   argument := STRING | conditional
// The name's '(' has been read with it.
double Evaluation::callFunction()
{
    const auto found = functions.find(stringValue);
    if (found == functions.end())
        throw Error::SyntaxError(wxString::Format("function %s not found!", stringValue));
    // A branch that is not chosen parses the arguments but calls nothing.
    std::unique_ptr<EvalFunction> call = skipping ? nullptr : found->second->clone();

    getToken();
    if (currentToken != ')') {
        for (;;) {
            if (currentToken == STRING) {
                if (call)
                    call->addString(stringValue);
                getToken();
            } else {
                const double value = conditional(false);
                if (call)
                    call->addNumber(value);
            }
            if (currentToken == ')')
                break;
            if (currentToken != ',')
                throw Error::SyntaxError(") expected");
            getToken();
        }
    }
    const double value = call ? call->compute() : 0.0;
    getToken();
    return value;
}
