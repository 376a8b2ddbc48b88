#include "definition/ExpressionNames.h"

namespace {

bool isLetter(wxUniChar c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isWordChar(wxUniChar c)
{
    return isLetter(c) || (c >= '0' && c <= '9') || c == '_';
}

void addOnce(wxArrayString& list, const wxString& word)
{
    if (list.Index(word) == wxNOT_FOUND)
        list.Add(word);
}

} // namespace

ExpressionNames scanExpression(const wxString& expression)
{
    ExpressionNames names;
    const size_t n = expression.length();
    size_t i = 0;
    while (i < n) {
        const wxUniChar c = expression[i];
        if (c == '"') {
            const size_t close = expression.find('"', i + 1);
            const size_t end = close == wxString::npos ? n : close;
            addOnce(names.strings, expression.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if ((c >= '0' && c <= '9') || c == '.') {
            // A number is digits and points only: "0x1F" is 0 and the name x1F.
            while (i < n && ((expression[i] >= '0' && expression[i] <= '9') || expression[i] == '.'))
                ++i;
        } else if (isLetter(c)) {
            const size_t start = i;
            while (i < n && isWordChar(expression[i]))
                ++i;
            const wxString word = expression.substr(start, i - start);
            if (i < n && expression[i] == '(')
                addOnce(names.functions, word);
            else
                addOnce(names.variables, word);
        } else {
            ++i;
        }
    }
    return names;
}
