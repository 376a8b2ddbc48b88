// tarntool eval [--no-table] [NAME=VALUE ...] EXPR
// Evaluates EXPR over a table of the given values; prints the result as one
// JSON number and every message of the evaluator on standard error.
#include "tools/tarntool/Command.h"
#include "tools/tarntool/JsonOutput.h"

#include "expr/Evaluation.h"

#include <nlohmann/json.hpp>
#include <wx/log.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

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

int RunEval(const CommandArgs& args)
{
    const ParsedArgs parsed = ParseArgs(args, {}, {"no-table"});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.empty())
        return UsageError("eval: missing EXPR");

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

TARNTOOL_COMMAND("eval", "[--no-table] [NAME=VALUE ...] EXPR", RunEval);
