#include "ecu/BlockDecoder.h"

#include "definition/DefinitionExpressions.h"
#include "definition/SymbolTable.h"
#include "ecu/ChannelDecoder.h"

BlockDecoder::BlockDecoder(const SymbolTable& table) : m_table(table)
{
    for (const auto& entry : table.getSymbols()) {
        const Symbol* symbol = entry.second;
        if (symbol && !symbol->Const && symbol->isScalarChannel())
            m_channels.push_back(symbol);
    }
    m_evaluation.setTable(&m_values);
    table.expressions().prepare(m_evaluation, m_values);
}

void BlockDecoder::decode(const unsigned char* block, size_t length)
{
    const ByteOrder order = m_table.getLinkSettings().endianness;
    for (const Symbol* symbol : m_channels) {
        const std::optional<double> value = decodeChannel(*symbol, block, length, order);
        if (value)
            m_values[symbol->Name] = *value;
        else
            m_values.erase(symbol->Name); // nothing from an earlier block stays
    }
}

std::optional<double> BlockDecoder::value(const wxString& name)
{
    const Symbol* symbol = m_table.findSymbol(name);
    if (!symbol || symbol->Const)
        return std::nullopt;
    if (symbol->isExpression())
        return m_evaluation.evaluate(symbol->expr);
    if (!symbol->isScalarChannel())
        return std::nullopt;
    const ValueMap::const_iterator it = m_values.find(name);
    if (it == m_values.end())
        return std::nullopt;
    return it->second;
}
