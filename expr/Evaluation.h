#pragma once
// Computes the expression of a derived channel: a recursive-descent parser
// that evaluates while it parses, over the owner's table of channel values.
//
//   conditional := logical [ '?' conditional ':' conditional ]
//   logical     := shift { ('<' | '>') shift }
//   shift       := addition { ('<<' | '>>') addition }
//   addition    := term { ('+' | '-') term }
//   term        := prim { ('*' | '/') prim }
//   prim        := NUMBER | NAME [ '=' conditional ] | FUNCTION args ')'
//                | '-' prim | '(' conditional ')'
//
// Statements end at ';', a newline, a NUL or the end of the text; evaluate()
// returns the value of the last statement that completed (0.0 if none did).
// Errors never leave evaluate(): each is written to the debug log and ends
// its statement only.
//
// Only the branch of '?:' that is chosen is computed: the other one is parsed
// (its syntax errors still end the statement, and so do a call of an unknown
// function and a variable without a table, faults of the text or set-up that
// no value can cure) but divides nothing, reads and enters no variable and
// calls no function. Its parse traces are written like any other.
//
// Shifts work on 32-bit integers: each operand is truncated toward zero,
// saturates outside the 32-bit range (a large value never flips its sign) and
// reads NaN as 0; the count is the low 8 bits of the right operand; a count of
// 32 or more gives 0 for << and the sign fill (0 or -1) for >>.
//
// After an error the rest of the statement is dropped, up to and including
// its ';' or newline; when the token that failed was that ';' or newline, the
// next statement is kept whole.
#include "base/ValueMap.h"
#include "expr/EvalFunction.h"

#include <wx/string.h>

#include <memory>
#include <string>
#include <unordered_map>

namespace Error {
// Raised for text the evaluator cannot use; `text` says what was wrong.
struct SyntaxError {
    explicit SyntaxError(const wxString& what) : text(what) {}
    wxString text;
};
struct ZeroDivide {};
} // namespace Error

class Evaluation {
public:
    enum TokenKind {
        NAME = 0,     // a name not followed directly by '('
        FUNCTION = 1, // a name followed directly by '(' (consumed with it)
        NUMBER = 2,
        END = 3, // no more input
        STRING = 4,
        SHL = 5,
        SHR = 6,
        PRINT = 59, // statement end: ';', newline, NUL, end of text
        // Every other token is the code of its single character.
    };

    // Nesting levels (each bracket, unary minus, '?:' branch, assignment and
    // function call is one) beyond this end the statement, with a warning in
    // the debug log, instead of running out of stack.
    static constexpr int kMaxDepth = 400;

    Evaluation();
    virtual ~Evaluation();
    Evaluation(const Evaluation&) = delete;
    Evaluation& operator=(const Evaluation&) = delete;

    // The owner's channel values; not owned; null means no table. Names read
    // but missing are entered with 0.0.
    void setTable(ValueMap* values) { table = values; }
    ValueMap* getTable() const { return table; }

    // Makes `name(...)` callable; replaces an earlier function of that name.
    void registerFunction(const wxString& name, std::unique_ptr<EvalFunction> function);

    // Parses and computes `text` (read as its UTF-8 bytes).
    double evaluate(const wxString& text);
    // Whether the last evaluate() dropped a statement for nesting beyond kMaxDepth.
    bool hitNestingLimit() const { return nestingLimitHit; }
    // Whether a statement of the last evaluate() call ended in an error.
    bool lastEvaluationFailed() const { return failed; }

protected:
    // Grammar levels. With `get` true each reads a new token first, otherwise
    // it starts from currentToken; each returns with currentToken holding the
    // first token it did not use. They throw Error::SyntaxError and
    // Error::ZeroDivide; evaluate() catches both.
    double conditional(bool get);
    double logical(bool get);
    double shift(bool get);
    double addition(bool get);
    double term(bool get);
    double prim(bool get);

    // Tokenizer: reads the next token into currentToken (and numberValue or
    // stringValue) and returns its kind.
    int getToken();
    void getName();
    void getNumber();
    // Recovery after an error: drops the rest of the failed statement.
    void skipStatement();

private:
    // A cursor over the bytes of the text. Like a stream, it counts as
    // readable until a read has run into its end; reads there yield NUL.
    struct ByteInput {
        const unsigned char* data = nullptr;
        size_t size = 0;
        size_t pos = 0;
        bool exhausted = true;

        bool canRead() const { return !exhausted; }
        unsigned char peek()
        {
            if (pos < size)
                return data[pos];
            exhausted = true;
            return 0;
        }
        unsigned char take()
        {
            if (pos < size)
                return data[pos++];
            exhausted = true;
            return 0;
        }
    };

    // Raised where nesting passes kMaxDepth; evaluate() catches it.
    struct NestingTooDeep {};
    // Counts one nesting level for the whole life of the construct.
    class DepthGuard {
    public:
        explicit DepthGuard(Evaluation& owner);
        ~DepthGuard() { --evaluation.depth; }

    private:
        Evaluation& evaluation;
    };
    // Suppresses computing while the branch it guards is parsed.
    class SkipGuard {
    public:
        SkipGuard(Evaluation& owner, bool skip) : evaluation(owner), active(skip)
        {
            if (active)
                ++evaluation.skipping;
        }
        ~SkipGuard()
        {
            if (active)
                --evaluation.skipping;
        }

    private:
        Evaluation& evaluation;
        bool active;
    };

    double callFunction();

    ByteInput input;
    ValueMap* table = nullptr;
    std::unordered_map<wxString, std::unique_ptr<EvalFunction>, wxStringHash, wxStringEqual> functions;
    double numberValue = 0.0;
    wxString stringValue;
    int currentToken = PRINT;

    std::string text;             // the UTF-8 bytes of the current text; capacity kept
    int depth = 0;                // nesting levels now open
    bool nestingLimitHit = false; // in the last evaluate()
    int skipping = 0;             // > 0 while parsing a branch that is not chosen
    bool terminatorTaken = false; // the current token consumed a statement end
    bool failed = false;          // an error ended a statement of the current text
};
