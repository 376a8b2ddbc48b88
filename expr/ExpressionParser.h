#pragma once
// Turns the text of a CompiledExpression into its program: a tokenizer over
// the UTF-8 bytes and a precedence-climbing parser that emits postfix code,
// with jumps for `&&`, `||` and `?:`. Errors throw inside and end in
// CompiledExpression::compile as its error().
#include "expr/CompiledExpression.h"

#include <string>

class ExpressionParser {
public:
    ExpressionParser(const wxString& text, ExpressionScope& scope, CompiledExpression& out);
    // Fills the program; throws Failure.
    void run();

    struct Failure {
        wxString text;
    };

private:
    enum class Token { End, Number, Name, String, Punct };

    void next();
    void readNumber();
    [[noreturn]] void fail(const wxString& what) const;
    wxString describeToken() const;
    bool punct(const char* symbol) const { return m_token == Token::Punct && m_punct == symbol; }
    void expect(const char* symbol);

    void conditional();
    void binary(int minimum);
    void unary();
    void primary();
    void call(const wxString& name);
    // A bare name as a call's first argument; `array.NAME` gives NAME.
    wxString nameArgument(bool arrayPrefix);

    void emit(CompiledExpression::Op op, int32_t arg = 0, double number = 0.0);
    // The stack effect of an emitted instruction.
    void grow(int by);
    // The slot of `name` (-1 unknown), noted as an input or an unknown name.
    int load(const wxString& name, bool history);
    void enter();
    void leave() { --m_depth; }

    std::string m_text;
    ExpressionScope& m_scope;
    CompiledExpression& m_out;
    size_t m_pos = 0;
    size_t m_tokenStart = 0;
    Token m_token = Token::End;
    std::string m_punct;
    std::string m_word; // name or string, UTF-8
    double m_number = 0.0;
    int m_depth = 0;
    int m_stack = 0;
    int m_maxStack = 0;
};
