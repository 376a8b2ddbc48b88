// tarntool eval [--no-table] [--dialect ini] [NAME=VALUE ...] EXPR
// Evaluates EXPR over a table of the given values; prints the result as one
// JSON number and every message of the evaluator on standard error. With
// `--dialect ini` EXPR is compiled in the dialect of other firmwares'
// definition files; no value prints null and the reason goes to standard
// error.
#include "tools/tarntool/Command.h"
#include "tools/tarntool/JsonOutput.h"

#include "expr/CompiledExpression.h"
#include "expr/Evaluation.h"

#include <nlohmann/json.hpp>
#include <wx/log.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

// Each message as its own text, one per line: no time stamp, no level prefix.
// A message that ends in a line feed already makes its line.
class RawStderrLog : public wxLog {
protected:
    void DoLogRecord(wxLogLevel, const wxString& msg, const wxLogRecordInfo&) override
    {
        const wxScopedCharBuffer bytes = msg.utf8_str();
        std::fwrite(bytes.data(), 1, bytes.length(), stderr);
        if (msg.empty() || msg.Last() != '\n')
            std::fputc('\n', stderr);
        std::fflush(stderr);
    }
};

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A name as the evaluator reads one: a letter, then letters, digits and '_'.
bool isName(const std::string& text)
{
    if (text.empty() || !isLetter(text[0]))
        return false;
    for (char c : text)
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '_')
            return false;
    return true;
}

// A finite decimal number, whole: optional sign, digits with an optional
// point, optional exponent. No hex, no inf or nan.
bool parseDecimal(const std::string& text, double& value)
{
    size_t start = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        start = 1;
    if (start >= text.size() || !((text[start] >= '0' && text[start] <= '9') || text[start] == '.'))
        return false;
    const char* last = text.data() + text.size();
    const auto result = std::from_chars(text.data() + start, last, value, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(value))
        return false;
    if (text[0] == '-')
        value = -value;
    return true;
}

wxString fromArgument(const std::string& bytes)
{
    const wxString text = wxString::FromUTF8(bytes.data(), bytes.size());
    if (text.empty() && !bytes.empty())
        return wxString(bytes.data(), wxConvISO8859_1, bytes.size()); // not UTF-8: byte by byte
    return text;
}

// The NAME=VALUE pairs as the dialect's only names: no tables, no arrays,
// no clock, and CELSIUS set as the dashboard has it.
class PairScope : public ExpressionScope, public ExpressionSources {
public:
    explicit PairScope(const ValueMap* table) : m_table(table) {}

    int slotOf(const wxString& name, bool) override
    {
        if (!m_table)
            return -1;
        const ValueMap::const_iterator found = m_table->find(name);
        if (found == m_table->end())
            return -1;
        m_values.push_back(found->second);
        return static_cast<int>(m_values.size() - 1);
    }
    int tableOf(const wxString&) override { return -1; }
    int arrayOf(const wxString&) override { return -1; }

    double value(int slot) const override { return m_values[static_cast<size_t>(slot)]; }
    double seconds() const override { return std::numeric_limits<double>::quiet_NaN(); }
    bool celsius() const override { return true; }
    std::optional<double> lookup(int, double) const override { return std::nullopt; }
    const std::vector<double>* array(int) const override { return nullptr; }
    const ChannelHistory* history(int) const override { return nullptr; }

private:
    const ValueMap* m_table;
    std::vector<double> m_values;
};

int EvalDialect(const ValueMap* table, const wxString& text)
{
    PairScope scope(table);
    const CompiledExpression compiled = CompiledExpression::compile(text, scope);
    const std::optional<double> result = compiled.evaluate(scope);
    if (!compiled.ok())
        std::fprintf(stderr, "%s\n", compiled.error().utf8_str().data());
    for (const wxString& name : compiled.unknownNames())
        std::fprintf(stderr, "unknown name %s\n", name.utf8_str().data());
    std::printf("%s\n", DumpJsonLine(result ? nlohmann::json(*result) : nlohmann::json(nullptr)).c_str());
    return 0;
}

int RunEval(const CommandArgs& args)
{
    const ParsedArgs parsed = ParseArgs(args, {"dialect"}, {"no-table"});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.empty())
        return UsageError("eval: missing EXPR");
    const std::string dialect = parsed.value("dialect", "builtin");
    if (dialect != "builtin" && dialect != "ini")
        return UsageError("eval: --dialect is builtin or ini, not '" + dialect + "'");

    ValueMap table;
    for (size_t i = 0; i + 1 < parsed.operands.size(); ++i) {
        const std::string& pair = parsed.operands[i];
        const size_t eq = pair.find('=');
        double value = 0.0;
        if (eq == std::string::npos || !isName(pair.substr(0, eq)) ||
            !parseDecimal(pair.substr(eq + 1), value))
            return UsageError("eval: '" + pair +
                              "' is not NAME=VALUE with a name and a finite decimal VALUE");
        table[wxString::FromUTF8(pair.substr(0, eq).c_str())] = value;
    }

    if (dialect == "ini")
        return EvalDialect(parsed.has("no-table") ? nullptr : &table, fromArgument(parsed.operands.back()));

    Evaluation evaluation;
    evaluation.setTable(parsed.has("no-table") ? nullptr : &table);

    RawStderrLog log;
    wxLog* previous = wxLog::SetActiveTarget(&log);
    const double result = evaluation.evaluate(fromArgument(parsed.operands.back()));
    wxLog::SetActiveTarget(previous);

    std::printf("%s\n", DumpJsonLine(nlohmann::json(result)).c_str());
    return 0;
}

} // namespace

TARNTOOL_COMMAND("eval", "[--no-table] [--dialect builtin|ini] [NAME=VALUE ...] EXPR", RunEval);
