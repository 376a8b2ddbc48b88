#include "expr/CompiledExpression.h"

#include "expr/ChannelHistory.h"
#include "expr/ExpressionParser.h"

#include <cmath>
#include <limits>

namespace {

// Toward zero, saturating at the ends of the range; false for NaN.
bool toInteger(double value, int64_t& integer)
{
    if (std::isnan(value))
        return false;
    if (value >= 9.2233720368547758e18)
        integer = std::numeric_limits<int64_t>::max();
    else if (value <= -9.2233720368547758e18)
        integer = std::numeric_limits<int64_t>::min();
    else
        integer = static_cast<int64_t>(value);
    return true;
}

} // namespace

CompiledExpression CompiledExpression::compile(const wxString& text, ExpressionScope& scope)
{
    CompiledExpression compiled;
    try {
        ExpressionParser(text, scope, compiled).run();
    } catch (const ExpressionParser::Failure& failure) {
        compiled.m_program.clear();
        compiled.m_error = failure.text;
    }
    return compiled;
}

std::optional<double> CompiledExpression::evaluate(const ExpressionSources& sources) const
{
    if (!ok() || m_program.empty())
        return std::nullopt;
    double stack[kMaxStack];
    int top = -1;
    const size_t size = m_program.size();
    for (size_t pc = 0; pc < size; ++pc) {
        const Instruction& in = m_program[pc];
        double& a = stack[top > 0 ? top - 1 : 0]; // left operand of a binary
        const double b = top >= 0 ? stack[top] : 0.0;
        int64_t x = 0;
        int64_t y = 0;
        switch (in.op) {
        case Op::Number:
            stack[++top] = in.number;
            continue;
        case Op::Load: {
            const double value = sources.value(in.arg);
            if (std::isnan(value))
                return std::nullopt;
            stack[++top] = value;
            continue;
        }
        case Op::Time: {
            const double seconds = sources.seconds();
            if (std::isnan(seconds))
                return std::nullopt;
            stack[++top] = seconds;
            continue;
        }
        case Op::Fail:
            return std::nullopt;
        case Op::Negate:
            stack[top] = -b;
            continue;
        case Op::Not:
            stack[top] = b == 0.0 ? 1.0 : 0.0;
            continue;
        case Op::Complement:
            toInteger(b, x);
            stack[top] = static_cast<double>(~x);
            continue;
        case Op::Truth:
            stack[top] = b != 0.0 ? 1.0 : 0.0;
            continue;
        case Op::AndJump:
        case Op::OrJump:
            if ((b == 0.0) == (in.op == Op::AndJump)) {
                stack[top] = in.op == Op::AndJump ? 0.0 : 1.0;
                pc = static_cast<size_t>(in.arg) - 1;
            } else {
                --top;
            }
            continue;
        case Op::JumpIfZero:
            --top;
            if (b == 0.0)
                pc = static_cast<size_t>(in.arg) - 1;
            continue;
        case Op::Jump:
            pc = static_cast<size_t>(in.arg) - 1;
            continue;
        case Op::TempCvt:
            if (sources.celsius())
                stack[top] = (b - 32.0) * 5.0 / 9.0;
            continue;
        case Op::Table: {
            const std::optional<double> found = in.arg < 0 ? std::nullopt : sources.lookup(in.arg, b);
            if (!found || std::isnan(*found))
                return std::nullopt;
            stack[top] = *found;
            continue;
        }
        case Op::ArrayValue: {
            const std::vector<double>* array = in.arg < 0 ? nullptr : sources.array(in.arg);
            toInteger(b, x);
            if (!array || x < 0 || static_cast<uint64_t>(x) >= array->size() || std::isnan((*array)[x]))
                return std::nullopt;
            stack[top] = (*array)[static_cast<size_t>(x)];
            continue;
        }
        case Op::PastValue: {
            toInteger(b, x);
            double value = std::numeric_limits<double>::quiet_NaN();
            if (in.arg >= 0 && x <= 0) {
                value = sources.value(in.arg);
            } else if (in.arg >= 0) {
                const ChannelHistory* history = sources.history(in.arg);
                if (history && static_cast<uint64_t>(x) <= ChannelHistory::kLength)
                    value = history->past(static_cast<size_t>(x));
            }
            if (std::isnan(value))
                return std::nullopt;
            stack[top] = value;
            continue;
        }
        case Op::MaxValue:
        case Op::MinValue: {
            const double now = in.arg < 0 ? std::numeric_limits<double>::quiet_NaN() : sources.value(in.arg);
            const ChannelHistory* history = in.arg < 0 ? nullptr : sources.history(in.arg);
            double extreme = !history ? std::numeric_limits<double>::quiet_NaN()
                             : in.op == Op::MaxValue ? history->largest()
                                                     : history->smallest();
            if (std::isnan(extreme) || (in.op == Op::MaxValue ? now > extreme : now < extreme))
                extreme = now;
            if (std::isnan(extreme))
                return std::nullopt;
            stack[++top] = extreme;
            continue;
        }
        default:
            break;
        }
        // Binary operators: `a` below `b`, the result in `a`'s place.
        --top;
        switch (in.op) {
        case Op::Add:
            a = a + b;
            break;
        case Op::Subtract:
            a = a - b;
            break;
        case Op::Multiply:
            a = a * b;
            break;
        case Op::Divide:
            if (b == 0.0)
                return std::nullopt;
            a = a / b;
            break;
        case Op::Less:
            a = a < b ? 1.0 : 0.0;
            break;
        case Op::LessEqual:
            a = a <= b ? 1.0 : 0.0;
            break;
        case Op::Greater:
            a = a > b ? 1.0 : 0.0;
            break;
        case Op::GreaterEqual:
            a = a >= b ? 1.0 : 0.0;
            break;
        case Op::Equal:
            a = a == b ? 1.0 : 0.0;
            break;
        case Op::NotEqual:
            a = a != b ? 1.0 : 0.0;
            break;
        default: {
            toInteger(a, x);
            toInteger(b, y);
            switch (in.op) {
            case Op::Modulo:
                if (y == 0)
                    return std::nullopt;
                a = y == -1 ? 0.0 : static_cast<double>(x % y);
                break;
            case Op::ShiftLeft:
                if (y < 0 || y > 63)
                    return std::nullopt;
                a = static_cast<double>(static_cast<int64_t>(static_cast<uint64_t>(x) << y));
                break;
            case Op::ShiftRight:
                if (y < 0 || y > 63)
                    return std::nullopt;
                a = static_cast<double>(x >> y);
                break;
            case Op::BitAnd:
                a = static_cast<double>(x & y);
                break;
            case Op::BitXor:
                a = static_cast<double>(x ^ y);
                break;
            case Op::BitOr:
                a = static_cast<double>(x | y);
                break;
            default:
                return std::nullopt;
            }
        }
        }
        // Infinities can meet in a NaN; nothing after may read it as a number.
        if (std::isnan(a))
            return std::nullopt;
    }
    if (top != 0 || !std::isfinite(stack[0]))
        return std::nullopt;
    return stack[0];
}
