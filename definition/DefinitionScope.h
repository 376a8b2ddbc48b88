#pragma once
// The names one definition file's compiled expressions read, as slots: its
// output channels (no value until the owner sets one each tick) and its
// constants (their numbers from ConstantValues, none when they have none),
// with its lookup tables, array constants, the CELSIUS setting, the time for
// timeNow and the past of the channels that history functions ask about.
// Slots are made as compiling asks for them.
#include "expr/ChannelHistory.h"
#include "expr/ExpressionScope.h"

#include <wx/hashmap.h>
#include <wx/string.h>

#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

class SymbolTable;

class DefinitionScope : public ExpressionScope, public ExpressionSources {
public:
    // `unset`: what a constant without a value reads (NaN: no value).
    explicit DefinitionScope(const SymbolTable& table, double unset = std::numeric_limits<double>::quiet_NaN());
    DefinitionScope(const DefinitionScope&) = delete;
    DefinitionScope& operator=(const DefinitionScope&) = delete;

    int slotOf(const wxString& name, bool history) override;
    int tableOf(const wxString& file) override;
    int arrayOf(const wxString& name) override;

    double value(int slot) const override { return m_values[static_cast<size_t>(slot)]; }
    double seconds() const override { return m_seconds; }
    bool celsius() const override;
    std::optional<double> lookup(int table, double x) const override;
    const std::vector<double>* array(int id) const override;
    const ChannelHistory* history(int slot) const override { return m_histories[static_cast<size_t>(slot)].get(); }

    // NaN: no value.
    void setValue(int slot, double value) { m_values[static_cast<size_t>(slot)] = value; }
    void setSeconds(double seconds) { m_seconds = seconds; }
    // Reads every constant's number again (after a tune or the ECU's pages).
    void refreshConstants();
    // Ends a tick: the past of each channel asked about takes its value now.
    void recordHistory();
    size_t size() const { return m_values.size(); }
    const wxString& nameOf(int slot) const { return m_names[static_cast<size_t>(slot)]; }

private:
    void readConstant(size_t slot);

    const SymbolTable& m_table;
    std::unordered_map<wxString, int, wxStringHash, wxStringEqual> m_slots;
    std::vector<wxString> m_names;
    std::vector<double> m_values;
    std::vector<bool> m_constant;
    std::vector<std::unique_ptr<ChannelHistory>> m_histories; // by slot; null when not asked
    std::vector<wxString> m_tables;
    std::vector<wxString> m_arrays;
    double m_unset;
    double m_seconds;
};
