#include "definition/DefinitionExpressions.h"

#include "definition/DefinitionScope.h"
#include "definition/SymbolTable.h"
#include "expr/CompiledExpression.h"

#include <wx/regex.h>

#include <cmath>

namespace {

// table(x, "name.inc"): the value of lookup table "name.inc" at x.
class TableFunction : public EvalFunction {
public:
    explicit TableFunction(const SymbolTable& table) : m_table(table) {}

    double compute() override
    {
        if (numbers.size() != 1 || strings.size() != 1)
            throw Error::SyntaxError("table() takes a value and a file name");
        const IncTable* lookup = m_table.findIncTable(strings[0]);
        if (!lookup)
            throw Error::SyntaxError("lookup table " + strings[0] + " is not loaded");
        return lookup->lookup(numbers[0]);
    }
    std::unique_ptr<EvalFunction> clone() const override
    {
        return std::make_unique<TableFunction>(m_table);
    }

private:
    const SymbolTable& m_table;
};

wxRegEx& stringValuePattern()
{
    static wxRegEx re("^[[:space:]]*stringValue[[:space:]]*\\([[:space:]]*([A-Za-z][A-Za-z0-9_]*)"
                      "[[:space:]]*\\)[[:space:]]*$");
    return re;
}

wxRegEx& bitStringValuePattern()
{
    static wxRegEx re("^[[:space:]]*bitStringValue[[:space:]]*\\([[:space:]]*([A-Za-z][A-Za-z0-9_]*)"
                      "[[:space:]]*,(.*)\\)[[:space:]]*$");
    return re;
}

} // namespace

DefinitionExpressions::DefinitionExpressions(const SymbolTable& table) : m_table(table) {}

bool DefinitionExpressions::isSupportedFunction(const wxString& name)
{
    return name == wxS("table");
}

void DefinitionExpressions::prepare(Evaluation& evaluation, ValueMap& values) const
{
    for (const auto& entry : m_table.getConstantValues().numbers()) {
        const Symbol* symbol = m_table.findSymbol(entry.first);
        if (!symbol || symbol->Const)
            values[entry.first] = entry.second;
    }
    evaluation.registerFunction("table", std::make_unique<TableFunction>(m_table));
}

// A fresh evaluation each time: an expression may assign to a name, and the
// next one must not see that. Only loading and tools compute these.
bool DefinitionExpressions::number(const wxString& expression, double& value) const
{
    if (!m_table.getLinkSettings().isBuiltInFirmware()) {
        // A gauge limit needs a number: a constant without a value (until the
        // ECU's pages or a tune give one) reads 0 in it, as in the built-in
        // firmware's file.
        DefinitionScope scope(m_table, 0.0);
        const std::optional<double> result = CompiledExpression::compile(expression, scope).evaluate(scope);
        if (!result)
            return false;
        value = *result;
        return true;
    }
    ValueMap values;
    Evaluation evaluation;
    evaluation.setTable(&values);
    prepare(evaluation, values);
    const double result = evaluation.evaluate(expression);
    if (evaluation.lastEvaluationFailed() || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

bool DefinitionExpressions::text(const wxString& expression, wxString& value) const
{
    wxRegEx& stringValue = stringValuePattern();
    if (stringValue.Matches(expression))
        return m_table.getConstantValues().findText(stringValue.GetMatch(expression, 1), value);
    wxRegEx& bitString = bitStringValuePattern();
    if (bitString.Matches(expression)) {
        const Symbol* list = m_table.findSymbol(bitString.GetMatch(expression, 1));
        double index = 0;
        if (!list || !list->isBitField() || !number(bitString.GetMatch(expression, 2), index))
            return false;
        if (!(index >= 0 && index < static_cast<double>(list->BitFields.GetCount())))
            return false;
        value = list->BitFields[static_cast<size_t>(index)];
        return true;
    }
    double computed = 0;
    if (!number(expression, computed))
        return false;
    value = wxString::FromCDouble(computed);
    return true;
}
