#include "ecu/BlockDecoder.h"

#include "base/DebugLog.h"
#include "definition/DefinitionExpressions.h"
#include "definition/ExpressionNames.h"
#include "definition/SymbolTable.h"
#include "ecu/ChannelDecoder.h"

#include <algorithm>
#include <cmath>

BlockDecoder::BlockDecoder(const SymbolTable* table) : m_table(table)
{
    m_evaluation.setTable(&m_values);
    if (!table)
        return;
    m_order = table->getLinkSettings().endianness;
    for (const auto& entry : table->getSymbols()) {
        const Symbol* symbol = entry.second;
        if (!symbol || symbol->Const || !symbol->isScalarChannel())
            continue;
        m_channels.push_back(*symbol);
        if (symbol->Offset >= 0 && symbol->SizeOf > 0 && symbol->SizeOf <= 4)
            m_channelsEnd = std::max(m_channelsEnd, symbol->Offset + symbol->SizeOf);
    }
    table->expressions().prepare(m_evaluation, m_values);
}

void BlockDecoder::decode(const unsigned char* block, size_t length, ValueMap& values,
                          bool traced) const
{
    // Formatting two lines per channel is most of a tick's cost: none with the trace off.
    const bool tracing = traced && DebugLogEnabled();
    for (const Symbol& channel : m_channels) {
        const std::optional<double> decoded = decodeChannel(channel, block, length, m_order);
        if (tracing)
            DebugLog(0, wxString::Format("Offset: %d, Size: %d, Scale: %f Tr: %f", channel.Offset,
                                         channel.SizeOf, channel.Scale, channel.Trans));
        if (!decoded) {
            values.erase(channel.Name);
            continue;
        }
        values[channel.Name] = *decoded;
        if (tracing)
            DebugLog(0, "RTDataMgrSerial::fillScalarValues() Symbol: " + channel.Name +
                            wxString::Format(", Value: %f", *decoded));
    }
}

void BlockDecoder::decode(const unsigned char* block, size_t length, bool traced)
{
    decode(block, length, m_values, traced);
}

void BlockDecoder::take(const ValueMap& channelValues)
{
    // Channel by channel: the constants entered at construction stay.
    for (const Symbol& channel : m_channels) {
        const ValueMap::const_iterator found = channelValues.find(channel.Name);
        if (found != channelValues.end())
            m_values[channel.Name] = found->second;
        else
            m_values.erase(channel.Name);
    }
}

std::optional<double> BlockDecoder::value(const wxString& name, bool traced)
{
    const Symbol* symbol = m_table ? m_table->findSymbol(name) : nullptr;
    if (!symbol)
        return std::nullopt;
    const bool tracing = traced && DebugLogEnabled();
    if (symbol->isScalarChannel()) {
        const ValueMap::const_iterator found = m_values.find(name);
        if (symbol->Const || found == m_values.end())
            return std::nullopt;
        if (tracing)
            DebugLog(0, "Symbol (scalar): " + name +
                            wxString::Format(", Value: %f !!!!!!!!!!!!!", found->second));
        return found->second;
    }
    if (symbol->expr.empty())
        return std::nullopt;
    const double value = m_evaluation.evaluate(symbol->expr);
    if (tracing)
        DebugLog(0, "Symbol: " + name + "Expr: " + symbol->expr +
                        wxString::Format(", Value: %f !!!!!!!!!!!!!", value));
    return value;
}

std::optional<double> BlockDecoder::evaluate(const wxString& expression)
{
    if (!m_table || expression.empty())
        return std::nullopt;
    // The evaluator reads a name it lacks as 0: such an expression has no value.
    auto names = m_expressionNames.find(expression);
    if (names == m_expressionNames.end())
        names = m_expressionNames.emplace(expression, scanExpression(expression).variables).first;
    for (const wxString& name : names->second)
        if (m_values.find(name) == m_values.end())
            return std::nullopt;
    const double value = m_evaluation.evaluate(expression);
    if (std::isnan(value))
        return std::nullopt;
    return value;
}
