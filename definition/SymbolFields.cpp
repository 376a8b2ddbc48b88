#include "definition/SymbolFields.h"

#include "base/AsciiText.h"
#include "definition/DefinitionExpressions.h"
#include "definition/ExpressionNames.h"
#include "definition/LineTokenizer.h"
#include "definition/ParserException.h"
#include "definition/SymbolTable.h"

#include <wx/regex.h>

#include <limits>

namespace {

// Expression channels inside expression channels, as deep and as long as a
// file may sensibly nest them; beyond (a channel that names itself, or one
// that names another twice at every level) does not compute.
constexpr int kMaxInlineDepth = 16;
constexpr size_t kMaxInlinedLength = 64 * 1024;

wxRegEx& textArgumentPattern()
{
    static wxRegEx re("(bitStringValue|stringValue)[[:space:]]*\\([[:space:]]*([A-Za-z][A-Za-z0-9_]*)");
    return re;
}

class FieldComputer {
public:
    explicit FieldComputer(const SymbolTable& table) : m_table(table) {}

    // `expression` with each expression channel it names replaced by that
    // channel's expression in brackets. False, with the reason, when a name
    // is neither such a channel nor a constant with a value.
    bool inlineChannels(const wxString& expression, int depth, wxString& out, wxString& reason) const
    {
        const size_t n = expression.length();
        size_t i = 0;
        while (i < n) {
            const wxUniChar c = expression[i];
            if (c == '"') {
                const size_t close = expression.find('"', i + 1);
                const size_t end = close == wxString::npos ? n : close + 1;
                out += expression.substr(i, end - i);
                i = end;
            } else if (isAsciiDigit(c) || c == '.') {
                // A number with whatever follows it ("1e-3", "0x1F"): no name inside.
                const size_t start = i;
                while (i < n && (isAsciiWordChar(expression[i]) || expression[i] == '.'))
                    ++i;
                out += expression.substr(start, i - start);
            } else if (isAsciiLetter(c)) {
                const size_t start = i;
                while (i < n && (isAsciiWordChar(expression[i]) || expression[i] == '.'))
                    ++i;
                const wxString word = expression.substr(start, i - start);
                if (i < n && expression[i] == '(') {
                    out += word; // a function: the context says whether it knows it
                    continue;
                }
                if (!inlineName(word, depth, out, reason))
                    return false;
            } else {
                out += c;
                ++i;
            }
        }
        return true;
    }

    bool number(const wxString& expression, double& value, wxString& reason) const
    {
        wxString text;
        if (!inlineChannels(expression, 0, text, reason))
            return false;
        if (m_table.expressions().number(text, value))
            return true;
        reason = "it does not compute";
        return false;
    }

    // Units: the list of bitStringValue(list, i) and the name of
    // stringValue(name) are texts; every other name needs a number.
    bool text(const wxString& expression, wxString& value) const
    {
        wxArrayString texts;
        wxRegEx& textArgument = textArgumentPattern();
        for (wxString rest = expression; textArgument.Matches(rest);) {
            size_t start = 0, length = 0;
            textArgument.GetMatch(&start, &length, 0);
            texts.Add(textArgument.GetMatch(rest, 2));
            rest = rest.Mid(start + length);
        }
        double number = 0;
        for (const wxString& name : scanExpression(expression).variables)
            if (texts.Index(name) == wxNOT_FOUND && !m_table.getConstantValues().findNumber(name, number))
                return false;
        return m_table.expressions().text(expression, value);
    }

private:
    bool inlineName(const wxString& name, int depth, wxString& out, wxString& reason) const
    {
        double number = 0;
        if (m_table.getConstantValues().findNumber(name, number)) {
            out += name;
            return true;
        }
        const Symbol* symbol = m_table.findSymbol(name);
        if (!symbol || !symbol->isExpression() || symbol->Const) {
            reason = !symbol ? "unknown name " + name
                     : symbol->Const ? name + " has no value"
                                     : name + " is read from the ECU, not a constant";
            return false;
        }
        if (depth >= kMaxInlineDepth || out.length() + symbol->expr.length() > kMaxInlinedLength) {
            reason = "channel " + name + " nests too deep";
            return false;
        }
        out += '(';
        if (!inlineChannels(symbol->expr, depth + 1, out, reason))
            return false;
        out += ')';
        return true;
    }

    const SymbolTable& m_table;
};

} // namespace

wxArrayString resolveSymbolFields(SymbolTable& table)
{
    const FieldComputer computer(table);
    const double unknown = std::numeric_limits<double>::quiet_NaN();
    wxArrayString problems;
    for (const auto& owned : table.getAllSymbols()) {
        Symbol& symbol = *owned;
        for (const FieldExpression& field : symbol.fieldExpressions) {
            if (field.field == SymbolField::Units) {
                if (!computer.text(field.text, symbol.Units))
                    symbol.Units.clear();
                continue;
            }
            double value = 0;
            wxString reason;
            const bool computed = computer.number(field.text, value, reason);
            const char* scaling = field.field == SymbolField::Scale   ? "Scale"
                                  : field.field == SymbolField::Trans ? "Translate"
                                                                      : nullptr;
            // A symbol a later one of its name replaced is never used: no message.
            if (!computed && scaling && table.findSymbol(symbol.Name) == &symbol)
                problems.Add(ParserException(wxString::Format("%s of %s {%s} gives no value: %s",
                                                              scaling, symbol.Name, field.text, reason),
                                             table.symbolLine(symbol.Name) - 1)
                                 .text());
            switch (field.field) {
            case SymbolField::Scale:
                symbol.Scale = computed ? value : unknown;
                break;
            case SymbolField::Trans:
                symbol.Trans = computed ? value : unknown;
                break;
            case SymbolField::Lo:
                symbol.Lo = computed ? value : 0.0;
                break;
            case SymbolField::Hi:
                symbol.Hi = computed ? value : 0.0;
                break;
            case SymbolField::Digits:
                symbol.Digits = computed ? LineTokenizer::toInt32(value) : 0;
                break;
            case SymbolField::Units:
                break;
            }
        }
    }
    return problems;
}
