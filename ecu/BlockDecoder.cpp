#include "ecu/BlockDecoder.h"

#include "base/DebugLog.h"
#include "definition/DefinitionExpressions.h"
#include "definition/ExpressionNames.h"
#include "definition/SymbolTable.h"
#include "ecu/ChannelDecoder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <limits>
#include <set>
#include <unordered_map>

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

} // namespace

BlockDecoder::BlockDecoder(const SymbolTable* table) : m_table(table)
{
    m_evaluation.setTable(&m_values);
    if (!table)
        return;
    m_order = table->getLinkSettings().endianness;
    std::vector<Symbol> channels;
    for (const auto& entry : table->getSymbols()) {
        const Symbol* symbol = entry.second;
        if (!symbol || symbol->Const || !symbol->isScalarChannel())
            continue;
        channels.push_back(*symbol);
        if (symbol->Offset >= 0 && symbol->SizeOf > 0 && symbol->SizeOf <= 4)
            m_channelsEnd = std::max(m_channelsEnd, symbol->Offset + symbol->SizeOf);
    }
    m_channels = std::make_shared<const std::vector<Symbol>>(std::move(channels));
    table->expressions().prepare(m_evaluation, m_values);
    if (table->getLinkSettings().isBuiltInFirmware())
        return;
    m_scope = std::make_unique<DefinitionScope>(*table);
    for (const Symbol& channel : *m_channels)
        m_channelSlots.push_back(m_scope->slotOf(channel.Name, false));
    compileChannels();
    const auto start = std::chrono::steady_clock::now();
    m_seconds = [start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
}

void BlockDecoder::compileChannels()
{
    std::vector<ComputedChannel> compiled;
    std::unordered_map<int, size_t> bySlot;
    for (const auto& entry : m_table->getSymbols()) {
        const Symbol* symbol = entry.second;
        if (!symbol || symbol->Const || !symbol->isExpression())
            continue;
        const int slot = m_scope->slotOf(symbol->Name, false);
        bySlot[slot] = compiled.size();
        compiled.push_back(ComputedChannel{slot, CompiledExpression::compile(symbol->expr, *m_scope)});
        if (!compiled.back().program.ok())
            DebugLog(0, "Channel " + symbol->Name + ": " + compiled.back().program.error());
    }
    // Depth first, without recursion: a chain of channels may be long. A
    // channel met again while its own inputs are open is part of a cycle and
    // is never computed.
    enum : char { Unseen, Open, Done, Cyclic };
    std::vector<char> state(compiled.size(), Unseen);
    std::vector<std::pair<size_t, size_t>> stack; // channel, next input
    for (size_t root = 0; root < compiled.size(); ++root) {
        if (state[root] != Unseen)
            continue;
        stack.emplace_back(root, 0);
        state[root] = Open;
        while (!stack.empty()) {
            auto& [index, next] = stack.back();
            const std::vector<int>& inputs = compiled[index].program.inputs();
            if (next < inputs.size()) {
                const auto input = bySlot.find(inputs[next++]);
                if (input == bySlot.end())
                    continue;
                if (state[input->second] == Unseen) {
                    state[input->second] = Open;
                    stack.emplace_back(input->second, 0);
                } else if (state[input->second] == Open) {
                    auto open = stack.end();
                    do {
                        --open;
                        state[open->first] = Cyclic;
                    } while (open->first != input->second);
                }
                continue;
            }
            if (state[index] == Open) {
                state[index] = Done;
                m_computed.push_back(std::move(compiled[index]));
            } else {
                DebugLog(0, "Channel " + m_scope->nameOf(compiled[index].slot) + " depends on itself: no value");
            }
            stack.pop_back();
        }
    }
}

void BlockDecoder::computeChannels()
{
    if (!m_scope)
        return;
    m_scope->setSeconds(m_seconds ? m_seconds() : kNone);
    for (const ComputedChannel& channel : m_computed) {
        const std::optional<double> value = channel.program.evaluate(*m_scope);
        m_scope->setValue(channel.slot, value ? *value : kNone);
    }
    m_scope->recordHistory();
}

void BlockDecoder::refreshConstants()
{
    if (!m_table)
        return;
    std::vector<wxString> constants;
    for (const auto& entry : m_values) {
        const Symbol* symbol = m_table->findSymbol(entry.first);
        if (!symbol || symbol->Const)
            constants.push_back(entry.first);
    }
    for (const wxString& name : constants)
        m_values.erase(name);
    // Same channels in the same order (the slots follow it), fields taken again.
    std::vector<Symbol> channels(*m_channels);
    for (Symbol& channel : channels) {
        const Symbol* symbol = m_table->findSymbol(channel.Name);
        if (symbol && symbol->isScalarChannel() && !symbol->Const)
            channel = *symbol;
    }
    std::atomic_store(&m_channels, std::shared_ptr<const std::vector<Symbol>>(
                                       std::make_shared<const std::vector<Symbol>>(std::move(channels))));
    m_table->expressions().prepare(m_evaluation, m_values);
    if (m_scope)
        m_scope->refreshConstants();
}

void BlockDecoder::decode(const unsigned char* block, size_t length, ValueMap& values,
                          bool traced, const ByteRanges* fetched) const
{
    // Formatting two lines per channel is most of a tick's cost: none with the trace off.
    const bool tracing = traced && DebugLogEnabled();
    const std::shared_ptr<const std::vector<Symbol>> channels = std::atomic_load(&m_channels);
    for (const Symbol& channel : *channels) {
        std::optional<double> decoded = decodeChannel(channel, block, length, m_order);
        if (decoded && fetched && !rangesCover(*fetched, channel.Offset, channel.SizeOf))
            decoded.reset();
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
    if (!m_scope)
        return;
    for (size_t i = 0; i < m_channels->size(); ++i) {
        const ValueMap::const_iterator found = m_values.find((*m_channels)[i].Name);
        m_scope->setValue(m_channelSlots[i], found == m_values.end() ? kNone : found->second);
    }
    computeChannels();
}

void BlockDecoder::take(const ValueMap& channelValues)
{
    // Channel by channel: the constants entered at construction stay.
    for (size_t i = 0; i < m_channels->size(); ++i) {
        const wxString& name = (*m_channels)[i].Name;
        const ValueMap::const_iterator found = channelValues.find(name);
        if (found != channelValues.end())
            m_values[name] = found->second;
        else
            m_values.erase(name);
        if (m_scope)
            m_scope->setValue(m_channelSlots[i], found != channelValues.end() ? found->second : kNone);
    }
    computeChannels();
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
    if (m_scope) {
        const double computed = m_scope->value(m_scope->slotOf(name, false));
        if (tracing)
            DebugLog(0, "Symbol: " + name + "Expr: " + symbol->expr +
                            wxString::Format(", Value: %f !!!!!!!!!!!!!", computed));
        if (std::isnan(computed))
            return std::nullopt;
        return computed;
    }
    const double value = m_evaluation.evaluate(symbol->expr);
    if (tracing)
        DebugLog(0, "Symbol: " + name + "Expr: " + symbol->expr +
                        wxString::Format(", Value: %f !!!!!!!!!!!!!", value));
    return value;
}

const CompiledExpression& BlockDecoder::programOf(const wxString& expression)
{
    auto program = m_programs.find(expression);
    if (program == m_programs.end())
        program = m_programs.emplace(expression, CompiledExpression::compile(expression, *m_scope)).first;
    return program->second;
}

void BlockDecoder::appendReads(const wxString& expression, std::vector<wxString>& names)
{
    if (m_scope) {
        for (int slot : programOf(expression).inputs())
            names.push_back(m_scope->nameOf(slot));
        return;
    }
    for (const wxString& name : scanExpression(expression).variables)
        names.push_back(name);
}

ByteRanges BlockDecoder::rangesOf(const std::vector<wxString>& names, const std::vector<wxString>& expressions)
{
    ByteRanges ranges;
    if (!m_table)
        return ranges;
    std::vector<wxString> open(names);
    for (const wxString& expression : expressions)
        if (!expression.empty())
            appendReads(expression, open);
    std::set<wxString> seen;
    while (!open.empty()) {
        const wxString name = open.back();
        open.pop_back();
        if (!seen.insert(name).second)
            continue;
        const Symbol* symbol = m_table->findSymbol(name);
        if (!symbol || symbol->Const)
            continue;
        if (symbol->isScalarChannel()) {
            if (symbol->Offset >= 0 && symbol->SizeOf > 0)
                ranges.push_back(ByteRange{symbol->Offset, symbol->SizeOf});
        } else if (symbol->isExpression()) {
            appendReads(symbol->expr, open);
        }
    }
    return ranges;
}

std::optional<double> BlockDecoder::evaluate(const wxString& expression)
{
    if (!m_table || expression.empty())
        return std::nullopt;
    if (m_scope)
        return programOf(expression).evaluate(*m_scope);
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
