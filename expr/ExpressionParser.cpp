#include "expr/ExpressionParser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

using Op = CompiledExpression::Op;

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isNameChar(char c)
{
    return isNameStart(c) || isDigit(c);
}

struct Binary {
    const char* symbol;
    int level; // higher binds tighter
    Op op;
};

// `||` and `&&` are here for their level; they compile to jumps.
const Binary kBinaries[] = {
    {"||", 1, Op::OrJump},      {"&&", 2, Op::AndJump},      {"|", 3, Op::BitOr},
    {"^", 4, Op::BitXor},       {"&", 5, Op::BitAnd},        {"==", 6, Op::Equal},
    {"!=", 6, Op::NotEqual},    {"<", 7, Op::Less},          {"<=", 7, Op::LessEqual},
    {">", 7, Op::Greater},      {">=", 7, Op::GreaterEqual}, {"<<", 8, Op::ShiftLeft},
    {">>", 8, Op::ShiftRight},  {"+", 9, Op::Add},           {"-", 9, Op::Subtract},
    {"*", 10, Op::Multiply},    {"/", 10, Op::Divide},       {"%", 10, Op::Modulo},
};

const char* const kTwoCharPuncts[] = {"||", "&&", "==", "!=", "<=", ">=", "<<", ">>"};
const char kOneCharPuncts[] = "?:|^&<>+-*/%!~(),.";

} // namespace

ExpressionParser::ExpressionParser(const wxString& text, ExpressionScope& scope, CompiledExpression& out)
    : m_scope(scope), m_out(out)
{
    const wxScopedCharBuffer bytes = text.utf8_str();
    m_text.assign(bytes.data(), bytes.length());
}

void ExpressionParser::fail(const wxString& what) const
{
    throw Failure{what};
}

wxString ExpressionParser::describeToken() const
{
    switch (m_token) {
    case Token::End:
        return "end of the text";
    case Token::Number:
    case Token::Name:
    case Token::Punct:
        return wxString::Format("'%s' at character %zu",
                                wxString::FromUTF8(m_text.data() + m_tokenStart, m_pos - m_tokenStart),
                                m_tokenStart + 1);
    case Token::String:
        return wxString::Format("a text at character %zu", m_tokenStart + 1);
    }
    return wxString();
}

void ExpressionParser::next()
{
    while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
        ++m_pos;
    m_tokenStart = m_pos;
    if (m_pos >= m_text.size()) {
        m_token = Token::End;
        return;
    }
    const char c = m_text[m_pos];
    if (isDigit(c) || (c == '.' && m_pos + 1 < m_text.size() && isDigit(m_text[m_pos + 1]))) {
        readNumber();
        return;
    }
    if (isNameStart(c)) {
        const size_t start = m_pos;
        while (m_pos < m_text.size() && isNameChar(m_text[m_pos]))
            ++m_pos;
        m_word.assign(m_text, start, m_pos - start);
        m_token = Token::Name;
        return;
    }
    if (c == '"') {
        const size_t close = m_text.find('"', m_pos + 1);
        if (close == std::string::npos)
            fail(wxString::Format("text at character %zu has no closing quote", m_pos + 1));
        m_word.assign(m_text, m_pos + 1, close - m_pos - 1);
        m_pos = close + 1;
        m_token = Token::String;
        return;
    }
    m_token = Token::Punct;
    for (const char* two : kTwoCharPuncts) {
        if (m_text.compare(m_pos, 2, two) == 0) {
            m_punct = two;
            m_pos += 2;
            return;
        }
    }
    if (c != 0 && std::strchr(kOneCharPuncts, c)) {
        m_punct.assign(1, c);
        ++m_pos;
        return;
    }
    const wxString shown = (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f)
                               ? wxString::Format("byte 0x%02X", static_cast<unsigned char>(c))
                               : wxString::Format("'%c'", c);
    fail(wxString::Format("unexpected %s at character %zu", shown, m_pos + 1));
}

void ExpressionParser::readNumber()
{
    const size_t start = m_pos;
    const char* first = m_text.data() + m_pos;
    const char* last = m_text.data() + m_text.size();
    int base = 10;
    if (first[0] == '0' && last - first > 1 && (first[1] == 'x' || first[1] == 'X'))
        base = 16;
    else if (first[0] == '0' && last - first > 1 && (first[1] == 'b' || first[1] == 'B'))
        base = 2;
    const char* end = nullptr;
    if (base != 10) {
        uint64_t whole = 0;
        const std::from_chars_result read = std::from_chars(first + 2, last, whole, base);
        if (read.ec == std::errc::result_out_of_range)
            fail(wxString::Format("number at character %zu is too large", start + 1));
        if (read.ec != std::errc() || read.ptr == first + 2)
            fail(wxString::Format("malformed number at character %zu", start + 1));
        m_number = static_cast<double>(whole);
        end = read.ptr;
    } else {
        const std::from_chars_result read = std::from_chars(first, last, m_number, std::chars_format::general);
        if (read.ec != std::errc() || !std::isfinite(m_number))
            fail(wxString::Format("malformed number at character %zu", start + 1));
        end = read.ptr;
    }
    // "12abc" or "1.2.3" is no number followed by a name.
    if (end < last && (isNameChar(*end) || *end == '.'))
        fail(wxString::Format("malformed number at character %zu", start + 1));
    m_pos = static_cast<size_t>(end - m_text.data());
    m_token = Token::Number;
}

void ExpressionParser::expect(const char* symbol)
{
    if (!punct(symbol))
        fail(wxString::Format("expected '%s' but found %s", symbol, describeToken()));
    next();
}

void ExpressionParser::enter()
{
    if (++m_depth > CompiledExpression::kMaxDepth)
        fail(wxString::Format("nested deeper than %d levels", CompiledExpression::kMaxDepth));
}

void ExpressionParser::grow(int by)
{
    m_stack += by;
    m_maxStack = std::max(m_maxStack, m_stack);
}

void ExpressionParser::emit(Op op, int32_t arg, double number)
{
    m_out.m_program.push_back(CompiledExpression::Instruction{op, arg, number});
}

void ExpressionParser::run()
{
    next();
    if (m_token == Token::End)
        fail("empty expression");
    conditional();
    if (m_token != Token::End)
        fail("unexpected " + describeToken());
    if (m_maxStack > CompiledExpression::kMaxStack)
        fail(wxString::Format("more than %d operands wait at once", CompiledExpression::kMaxStack));
}

void ExpressionParser::conditional()
{
    binary(1);
    if (!punct("?"))
        return;
    enter();
    next();
    const size_t toElse = m_out.m_program.size();
    emit(Op::JumpIfZero);
    grow(-1);
    conditional();
    expect(":");
    const size_t toEnd = m_out.m_program.size();
    emit(Op::Jump);
    m_out.m_program[toElse].arg = static_cast<int32_t>(m_out.m_program.size());
    grow(-1);
    conditional();
    m_out.m_program[toEnd].arg = static_cast<int32_t>(m_out.m_program.size());
    leave();
}

void ExpressionParser::binary(int minimum)
{
    unary();
    for (;;) {
        if (m_token != Token::Punct)
            return;
        const Binary* found = nullptr;
        for (const Binary& candidate : kBinaries)
            if (m_punct == candidate.symbol)
                found = &candidate;
        if (!found || found->level < minimum)
            return;
        next();
        if (found->op == Op::AndJump || found->op == Op::OrJump) {
            const size_t jump = m_out.m_program.size();
            emit(found->op);
            grow(-1);
            binary(found->level + 1);
            emit(Op::Truth);
            m_out.m_program[jump].arg = static_cast<int32_t>(m_out.m_program.size());
        } else {
            binary(found->level + 1);
            emit(found->op);
            grow(-1);
        }
    }
}

void ExpressionParser::unary()
{
    if (!(punct("-") || punct("+") || punct("!") || punct("~"))) {
        primary();
        return;
    }
    const char sign = m_punct[0];
    enter();
    next();
    unary();
    leave();
    if (sign == '-')
        emit(Op::Negate);
    else if (sign == '!')
        emit(Op::Not);
    else if (sign == '~')
        emit(Op::Complement);
}

void ExpressionParser::primary()
{
    switch (m_token) {
    case Token::Number:
        emit(Op::Number, 0, m_number);
        grow(1);
        next();
        return;
    case Token::Name: {
        const wxString name = wxString::FromUTF8(m_word.data(), m_word.size());
        next();
        if (punct("(")) {
            call(name);
        } else if (name == wxS("timeNow")) {
            emit(Op::Time);
            grow(1);
        } else {
            const int slot = load(name, false);
            emit(slot < 0 ? Op::Fail : Op::Load, slot);
            grow(1);
        }
        return;
    }
    case Token::Punct:
        if (punct("(")) {
            enter();
            next();
            conditional();
            expect(")");
            leave();
            return;
        }
        break;
    case Token::String:
        fail(wxString::Format("a text at character %zu is no number", m_tokenStart + 1));
    case Token::End:
        break;
    }
    fail("unexpected " + describeToken());
}

int ExpressionParser::load(const wxString& name, bool history)
{
    const int slot = m_scope.slotOf(name, history);
    if (slot < 0) {
        if (m_out.m_unknown.Index(name) == wxNOT_FOUND)
            m_out.m_unknown.Add(name);
    } else if (std::find(m_out.m_inputs.begin(), m_out.m_inputs.end(), slot) == m_out.m_inputs.end()) {
        m_out.m_inputs.push_back(slot);
    }
    return slot;
}

wxString ExpressionParser::nameArgument(bool arrayPrefix)
{
    if (m_token != Token::Name)
        fail("expected a name but found " + describeToken());
    wxString name = wxString::FromUTF8(m_word.data(), m_word.size());
    next();
    if (arrayPrefix && name == wxS("array") && punct(".")) {
        next();
        if (m_token != Token::Name)
            fail("expected a name after 'array.' but found " + describeToken());
        name = wxString::FromUTF8(m_word.data(), m_word.size());
        next();
    }
    return name;
}

void ExpressionParser::call(const wxString& name)
{
    enter();
    next(); // '('
    if (name == wxS("tempCvt")) {
        conditional();
        emit(Op::TempCvt);
    } else if (name == wxS("table")) {
        conditional();
        expect(",");
        if (m_token != Token::String)
            fail("table() needs a file name in quotes, found " + describeToken());
        const int id = m_scope.tableOf(wxString::FromUTF8(m_word.data(), m_word.size()));
        next();
        emit(Op::Table, id);
    } else if (name == wxS("arrayValue")) {
        const wxString array = nameArgument(true);
        expect(",");
        const int id = m_scope.arrayOf(array);
        if (id < 0 && m_out.m_unknown.Index(array) == wxNOT_FOUND)
            m_out.m_unknown.Add(array);
        conditional();
        emit(Op::ArrayValue, id);
    } else if (name == wxS("pastValue")) {
        const wxString channel = nameArgument(false);
        expect(",");
        const int slot = load(channel, true);
        conditional();
        emit(Op::PastValue, slot);
    } else if (name == wxS("maxValue") || name == wxS("minValue")) {
        const wxString channel = nameArgument(false);
        emit(name == wxS("maxValue") ? Op::MaxValue : Op::MinValue, load(channel, true));
        grow(1);
    } else if (name == wxS("stringValue") || name == wxS("bitStringValue")) {
        fail(name + "() gives a text, not a number");
    } else {
        fail("unknown function " + name + "()");
    }
    expect(")");
    leave();
}
