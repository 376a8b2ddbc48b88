#include "definition/DefinitionScope.h"

#include "definition/SymbolTable.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

int intern(std::vector<wxString>& list, const wxString& text)
{
    const auto found = std::find(list.begin(), list.end(), text);
    if (found != list.end())
        return static_cast<int>(found - list.begin());
    list.push_back(text);
    return static_cast<int>(list.size() - 1);
}

} // namespace

DefinitionScope::DefinitionScope(const SymbolTable& table, double unset)
    : m_table(table), m_unset(unset), m_seconds(kNone)
{
}

int DefinitionScope::slotOf(const wxString& name, bool history)
{
    int slot = -1;
    const auto known = m_slots.find(name);
    if (known != m_slots.end()) {
        slot = known->second;
    } else {
        const Symbol* symbol = m_table.findSymbol(name);
        double number = 0;
        const bool channel = symbol && !symbol->Const && (symbol->isScalarChannel() || symbol->isExpression());
        const bool constant = (symbol && symbol->Const) || (!symbol && m_table.getConstantValues().findNumber(name, number));
        if (!channel && !constant)
            return -1;
        slot = static_cast<int>(m_values.size());
        m_slots[name] = slot;
        m_names.push_back(name);
        m_values.push_back(kNone);
        m_constant.push_back(constant);
        m_histories.emplace_back();
        if (constant)
            readConstant(static_cast<size_t>(slot));
    }
    if (history && !m_histories[static_cast<size_t>(slot)])
        m_histories[static_cast<size_t>(slot)] = std::make_unique<ChannelHistory>();
    return slot;
}

void DefinitionScope::readConstant(size_t slot)
{
    double number = 0;
    m_values[slot] = m_table.getConstantValues().findNumber(m_names[slot], number) ? number : m_unset;
}

void DefinitionScope::refreshConstants()
{
    for (size_t slot = 0; slot < m_values.size(); ++slot)
        if (m_constant[slot])
            readConstant(slot);
}

void DefinitionScope::recordHistory()
{
    for (size_t slot = 0; slot < m_histories.size(); ++slot)
        if (m_histories[slot])
            m_histories[slot]->add(m_values[slot]);
}

int DefinitionScope::tableOf(const wxString& file)
{
    return intern(m_tables, file);
}

int DefinitionScope::arrayOf(const wxString& name)
{
    const Symbol* symbol = m_table.findSymbol(name);
    if (!(symbol && symbol->isArray()) && !m_table.getConstantValues().findArray(name))
        return -1;
    return intern(m_arrays, name);
}

bool DefinitionScope::celsius() const
{
    return m_table.isCelsius();
}

std::optional<double> DefinitionScope::lookup(int table, double x) const
{
    const IncTable* found = m_table.findIncTable(m_tables[static_cast<size_t>(table)]);
    if (!found || found->size() == 0)
        return std::nullopt;
    return found->lookup(x);
}

const std::vector<double>* DefinitionScope::array(int id) const
{
    return m_table.getConstantValues().findArray(m_arrays[static_cast<size_t>(id)]);
}
