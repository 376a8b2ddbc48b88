#pragma once
// The expressions of one definition file outside the runtime data: gauge
// limits, titles and units, over the constants that have a value (a tune
// file's, else the file's defaults; any other constant reads 0), and the
// functions the file's expressions may call: table(x, "name.inc") with the
// lookup tables read from beside the file. Channel expressions get the same
// constants and functions through prepare(). The files of other firmwares
// (not LinkSettings::isBuiltInFirmware) are computed in their own dialect
// (CompiledExpression over a DefinitionScope), with its operators and
// functions; a constant without a value reads 0 in them as well.
#include "base/ValueMap.h"
#include "expr/Evaluation.h"
#include "gaugemodel/GaugeExpressionResolver.h"

class SymbolTable;

class DefinitionExpressions : public GaugeExpressionResolver {
public:
    explicit DefinitionExpressions(const SymbolTable& table);
    DefinitionExpressions(const DefinitionExpressions&) = delete;
    DefinitionExpressions& operator=(const DefinitionExpressions&) = delete;

    // False when the text does not compute (a syntax error, an unknown
    // function, a division by zero).
    bool number(const wxString& expression, double& value) const override;
    // stringValue(name) gives a text constant's value; bitStringValue(list,
    // expression) the label of bit field `list` at the place the expression
    // computes. Anything else is computed as a number and printed.
    bool text(const wxString& expression, wxString& value) const override;

    // Enters every constant that has a value into `values` (a name the file
    // also declares as a channel is left to the channel) and makes the
    // file's functions callable on `evaluation`.
    void prepare(Evaluation& evaluation, ValueMap& values) const;

    // The functions prepare() registers.
    static bool isSupportedFunction(const wxString& name);

private:
    const SymbolTable& m_table;
};
