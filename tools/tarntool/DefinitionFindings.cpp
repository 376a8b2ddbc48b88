#include "tools/tarntool/DefinitionFindings.h"
#include "tools/tarntool/DefinitionJson.h"

#include "definition/DefinitionExpressions.h"
#include "definition/DefinitionScope.h"
#include "definition/ExpressionNames.h"
#include "expr/CompiledExpression.h"
#include "expr/Evaluation.h"
#include "gaugemodel/GaugeAlarm.h"
#include "link/CommandString.h"

#include <wx/log.h>

#include <cmath>
#include <cstdint>
#include <map>
#include <set>

namespace {

// Collects the evaluator's syntax errors instead of printing them.
class SyntaxErrorLog : public wxLog {
public:
    wxArrayString errors;

protected:
    void DoLogRecord(wxLogLevel, const wxString& message, const wxLogRecordInfo&) override
    {
        static const wxString prefix = "syntax error: ";
        if (message.StartsWith(prefix))
            errors.Add(message.Mid(prefix.length()).Strip(wxString::both));
    }
};

bool IsChannel(const Symbol* symbol)
{
    return symbol && !symbol->Const && (symbol->isScalarChannel() || symbol->isExpression());
}

std::string Join(const std::set<wxString>& names)
{
    std::string text;
    for (const wxString& name : names)
        text += (text.empty() ? "" : ", ") + ToUtf8(name);
    return text;
}

class Checker {
public:
    Checker(const SymbolTable& table, std::vector<Finding>& findings)
        : m_table(table), m_findings(findings), m_dialect(!table.getLinkSettings().isBuiltInFirmware())
    {
    }

    bool dialect() const { return m_dialect; }

    // The constants without a value that `expression` depends on, through
    // the channels it names too; reports its own unsupported parts as `what`.
    std::set<wxString> checkExpression(const wxString& expression, const std::string& what,
                                       bool textFunctions)
    {
        if (m_dialect && !(textFunctions && expression.Contains("tringValue")))
            return checkCompiled(expression, what);
        std::set<wxString> missing;
        const ExpressionNames names = scanExpression(expression);
        for (const wxString& function : names.functions) {
            const bool supported = DefinitionExpressions::isSupportedFunction(function) ||
                                   (textFunctions && (function == wxS("stringValue") ||
                                                      function == wxS("bitStringValue")));
            if (!supported)
                add(true, "unsupported: function " + ToUtf8(function) + "() in " + what);
        }
        if (names.functions.Index("table") != wxNOT_FOUND) {
            for (const wxString& file : names.strings) {
                const auto error = m_table.getIncTableErrors().find(file);
                if (error != m_table.getIncTableErrors().end())
                    add(true, "lookup table " + ToUtf8(file) + " of " + what + " not read: " +
                                  ToUtf8(error->second));
            }
        }
        for (const wxString& name : names.variables) {
            const Symbol* symbol = m_table.findSymbol(name);
            double number = 0;
            wxString text;
            if (IsChannel(symbol)) {
                const std::set<wxString>& inner = channelMissing(*symbol);
                missing.insert(inner.begin(), inner.end());
            } else if (m_table.getConstantValues().findNumber(name, number)) {
            } else if (textFunctions && (m_table.getConstantValues().findText(name, text) ||
                                         (symbol && symbol->isBitField()))) {
                // a text constant with its text, or a bit field's list of labels
            } else if ((symbol && symbol->Const) || textFunctions) {
                missing.insert(name);
            } else {
                add(true, "unknown name " + ToUtf8(name) + " in " + what + " (reads 0)");
            }
        }
        if (!textFunctions)
            checkSyntax(expression, names, what);
        return missing;
    }

    const std::set<wxString>& channelMissing(const Symbol& channel)
    {
        const auto known = m_channelMissing.find(channel.Name);
        if (known != m_channelMissing.end())
            return known->second;
        // Empty while being worked out, so a channel that names itself ends here.
        std::set<wxString>& missing = m_channelMissing[channel.Name];
        if (channel.isExpression())
            missing = checkExpression(channel.expr, describe(channel.Name, false), false);
        return missing;
    }

    void add(bool problem, const std::string& text)
    {
        if (m_seen.insert(text).second)
            m_findings.push_back(Finding{problem, text});
    }

    // "channel NAME" or "gauge NAME", with the line of the file in the dialect's findings.
    std::string describe(const wxString& name, bool gauge) const
    {
        std::string text = (gauge ? "gauge " : "channel ") + ToUtf8(name);
        const int line = gauge ? m_table.gaugeLine(name) : m_table.symbolLine(name);
        if (m_dialect && line > 0)
            text += " (line " + std::to_string(line) + ")";
        return text;
    }

private:
    // Another firmware's expression as the ECU input compiles it.
    std::set<wxString> checkCompiled(const wxString& expression, const std::string& what)
    {
        std::set<wxString> missing;
        DefinitionScope scope(m_table);
        const CompiledExpression compiled = CompiledExpression::compile(expression, scope);
        if (!compiled.ok()) {
            const wxString& error = compiled.error();
            if (error.StartsWith("unknown function "))
                add(true, "unsupported: " + ToUtf8(error.Mid(8)) + " in " + what);
            else
                add(true, "unsupported: expression of " + what + ": " + ToUtf8(error) + " {" +
                              ToUtf8(expression) + "}");
            return missing;
        }
        for (const wxString& name : compiled.unknownNames())
            add(true, "unknown name " + ToUtf8(name) + " in " + what + " (no value)");
        for (int slot : compiled.inputs()) {
            const Symbol* symbol = m_table.findSymbol(scope.nameOf(slot));
            if (IsChannel(symbol)) {
                const std::set<wxString>& inner = channelMissing(*symbol);
                missing.insert(inner.begin(), inner.end());
            } else if (std::isnan(scope.value(slot))) {
                missing.insert(scope.nameOf(slot));
            }
        }
        bool tableMissing = false;
        const ExpressionNames names = scanExpression(expression);
        if (names.functions.Index("table") != wxNOT_FOUND) {
            for (const wxString& file : names.strings) {
                const auto error = m_table.getIncTableErrors().find(file);
                if (error == m_table.getIncTableErrors().end())
                    continue;
                tableMissing = true;
                add(true, "lookup table " + ToUtf8(file) + " of " + what + " not read: " +
                              ToUtf8(error->second) + " (no value)");
            }
        }
        // Reading nothing that changes, it has no value now or ever (1/0, an array read past its end).
        scope.setSeconds(0);
        if (compiled.inputs().empty() && compiled.unknownNames().empty() && !tableMissing &&
            !compiled.evaluate(scope))
            add(true, "no value ever: " + what + " {" + ToUtf8(expression) + "}");
        return missing;
    }

    void checkSyntax(const wxString& expression, const ExpressionNames& names, const std::string& what)
    {
        ValueMap values;
        for (const wxString& name : names.variables)
            values[name] = 1.0;
        Evaluation evaluation;
        evaluation.setTable(&values);
        m_table.expressions().prepare(evaluation, values);
        SyntaxErrorLog log;
        wxLog* previous = wxLog::SetActiveTarget(&log);
        evaluation.evaluate(expression);
        wxLog::SetActiveTarget(previous);
        for (const wxString& error : log.errors) {
            // Unknown functions are reported by name; lookups of unread tables with them.
            if (error.StartsWith("function ") || error.StartsWith("lookup table "))
                continue;
            add(true, "unsupported: expression of " + what + ": " + ToUtf8(error) + " {" +
                          ToUtf8(expression) + "}");
        }
    }

    const SymbolTable& m_table;
    std::vector<Finding>& m_findings;
    std::set<std::string> m_seen;
    std::map<wxString, std::set<wxString>> m_channelMissing;
    bool m_dialect;
};

// Output channels that lie wholly or partly outside the runtime data block
// (a negative offset, one past the block's end): they never have a value.
void FindChannelsOutsideBlock(const SymbolTable& table, std::vector<Finding>& findings)
{
    const int64_t blockSize = table.getLinkSettings().ochBlockSize;
    for (const auto& symbol : table.getAllSymbols()) {
        if (!symbol || symbol->Const || symbol->isExpression() || table.findSymbol(symbol->Name) != symbol.get())
            continue;
        const int64_t bytes = int64_t(symbol->SizeOf) * symbol->shape[0] * symbol->shape[1];
        const int64_t end = int64_t(symbol->Offset) + bytes;
        const bool outside = symbol->Offset < 0 || symbol->Offset == INT32_MAX || (blockSize > 0 && end > blockSize);
        if (!outside)
            continue;
        const std::string where = symbol->Offset == INT32_MAX ? std::string("too large")
                                                              : std::to_string(symbol->Offset);
        const std::string block = blockSize > 0 ? "the " + std::to_string(blockSize) + "-byte runtime data block"
                                                : "the runtime data block";
        findings.push_back({true, "Channel " + ToUtf8(symbol->Name) + ": offset " + where + " (" +
                                      std::to_string(bytes) + " bytes) lies outside " + block +
                                      "; it has no value"});
    }
}

} // namespace

// Limits that raise no alarm (wrong order, equal, outside the scale, no
// value): the gauge still shows its value, so no problem.
static void FindAlarmLimitFindings(const SymbolTable& table, std::vector<Finding>& findings)
{
    for (const TARNGaugeDesc* gauge : table.getGauges()) {
        std::vector<wxString> why;
        AlarmBoundsOf(*gauge, &why);
        const int line = table.gaugeLine(gauge->getName());
        const std::string where = "gauge " + ToUtf8(gauge->getName()) +
                                  (line > 0 ? " (line " + std::to_string(line) + ")" : "");
        for (const wxString& text : why)
            findings.push_back({false, "alarm limits: " + where + " " + ToUtf8(text)});
    }
}

bool IsHarmlessWarning(const wxString& warning)
{
    return warning.Contains("no matching condition!");
}

std::vector<Finding> FindDefinitionProblems(const SymbolTable& table)
{
    std::vector<Finding> findings;
    FindAlarmLimitFindings(table, findings);
    Checker checker(table, findings);
    std::vector<std::pair<std::string, std::set<wxString>>> missingOf;
    for (const auto& symbol : table.getAllSymbols()) {
        if (table.findSymbol(symbol->Name) != symbol.get() || !IsChannel(symbol.get()))
            continue; // replaced by a later one of the same name
        const std::set<wxString>& missing = checker.channelMissing(*symbol);
        if (!missing.empty())
            missingOf.emplace_back(checker.describe(symbol->Name, false), missing);
    }
    for (const TARNGaugeDesc* gauge : table.getGauges()) {
        const std::string what = checker.describe(gauge->getName(), true);
        std::set<wxString> missing;
        const Symbol* channel = table.findSymbol(gauge->getSymbolName());
        if (IsChannel(channel))
            missing = checker.channelMissing(*channel);
        else
            checker.add(true, what + " shows " + ToUtf8(gauge->getSymbolName()) +
                                  ", which is no output channel of the file");
        for (int i = 0; i < TARNGaugeDesc::FieldCount; ++i) {
            const auto field = static_cast<TARNGaugeDesc::Field>(i);
            const wxString& expression = gauge->getExpression(field);
            if (expression.empty())
                continue;
            const bool text = field == TARNGaugeDesc::FieldTitle || field == TARNGaugeDesc::FieldUnits;
            const std::set<wxString> found = checker.checkExpression(expression, what, text);
            missing.insert(found.begin(), found.end());
        }
        if (!missing.empty())
            missingOf.emplace_back(what, missing);
    }
    const std::string why = checker.dialect()
                                ? " (until the ECU's pages or --tune FILE give a constant a value, its "
                                  "channels have none and gauge limits read it as 0)"
                                : " (a constant without a value reads 0; give --tune FILE)";
    for (const auto& entry : missingOf)
        checker.add(true, "no value: " + entry.first + " depends on " + Join(entry.second) + why);

    const LinkSettings& link = table.getLinkSettings();
    const std::pair<const char*, const wxString*> commands[] = {
        {"queryCommand", &link.queryCommand},
        {"versionInfo", &link.versionInfo},
        {"ochGetCommand", &link.ochGetCommand}};
    CommandParameters parameters;
    parameters.count = static_cast<uint32_t>(table.getBlockSize());
    parameters.order = link.endianness;
    for (const auto& command : commands) {
        std::string bytes;
        wxString error;
        if (!command.second->empty() && !parseCommandString(*command.second, parameters, bytes, error))
            checker.add(true, std::string(command.first) + " \"" + ToUtf8(*command.second) +
                                  "\" refused: " + ToUtf8(error));
    }
    FindChannelsOutsideBlock(table, findings);
    return findings;
}
