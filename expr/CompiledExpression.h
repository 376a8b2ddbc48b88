#pragma once
// An expression of another firmware's definition file, compiled once into a
// flat program that each tick runs without parsing. The dialect is C's
// expressions over doubles:
//
//   ?: (right-assoc)  ||  &&  |  ^  &  == !=  < <= > >=  << >>  + -  * / %
//   unary ! - + ~     ( )   literals 12, 0.5, 1e3, 1.0E-4, 0x1F, 0b0101
//
// `||` and `&&` give 1 or 0 and skip their right side when the left decides;
// only the chosen branch of `?:` runs. `%`, `&`, `|`, `^`, `~`, `<<` and `>>`
// work on the operands truncated toward zero to 64-bit integers. Built in:
// timeNow, tempCvt(x), table(x, "file.inc"), arrayValue(array.NAME, i),
// pastValue(NAME, n), maxValue(NAME), minValue(NAME).
//
// A run gives no value (an empty optional), never a number from half an
// expression, when it divides or takes `%` by 0, reads a name without a
// value or unknown to the scope, reads an array past its end or a table that
// was not read, shifts by a count outside 0..63, or ends not finite. A text
// that does not compile (a syntax error, an unknown function, nesting beyond
// kMaxDepth) gives no value on every run, and error() says why.
#include "expr/ExpressionScope.h"

#include <wx/arrstr.h>
#include <wx/string.h>

#include <cstdint>
#include <optional>
#include <vector>

class CompiledExpression {
public:
    // Brackets, unary operators, '?:' branches and calls each nest one level.
    static constexpr int kMaxDepth = 100;
    // Operands waiting at once while a run goes; more is refused at compile time.
    static constexpr int kMaxStack = 256;

    enum class Op : uint8_t {
        Number, Load, Time,                      // push
        Negate, Not, Complement,                 // unary
        Add, Subtract, Multiply, Divide, Modulo, // binary
        ShiftLeft, ShiftRight, Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual,
        BitAnd, BitXor, BitOr,
        AndJump, OrJump, // short-circuit: decide and jump, or drop the left side
        Truth,           // 1 or 0
        JumpIfZero, Jump,
        TempCvt, Table, ArrayValue, PastValue, MaxValue, MinValue, // calls
        Fail, // a name the scope does not know
    };
    struct Instruction {
        Op op;
        int32_t arg;  // slot, table, array or jump target
        double number;
    };

    CompiledExpression() = default;
    // Parses `text`, naming what it reads through `scope`.
    static CompiledExpression compile(const wxString& text, ExpressionScope& scope);

    bool ok() const { return m_error.empty(); }
    const wxString& error() const { return m_error; }
    // Names the scope did not know (they give no value where they are read).
    const wxArrayString& unknownNames() const { return m_unknown; }
    // The slots the expression reads, each once.
    const std::vector<int>& inputs() const { return m_inputs; }

    std::optional<double> evaluate(const ExpressionSources& sources) const;

private:
    friend class ExpressionParser;

    std::vector<Instruction> m_program;
    std::vector<int> m_inputs;
    wxArrayString m_unknown;
    wxString m_error;
};
