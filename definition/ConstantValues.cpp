#include "definition/ConstantValues.h"

#include "definition/SymbolTable.h"

#include <wx/tokenzr.h>

#include <locale>
#include <sstream>

void ConstantValues::setText(const wxString& name, const wxString& text)
{
    wxString value = text;
    value.Trim(true).Trim(false);
    if (value.length() >= 2 && value[0] == '"' && value.Last() == '"')
        value = value.Mid(1, value.length() - 2);
    m_texts[name] = value;
}

bool ConstantValues::findText(const wxString& name, wxString& text) const
{
    const auto it = m_texts.find(name);
    if (it == m_texts.end())
        return false;
    text = it->second;
    return true;
}

void ConstantValues::setNumbers(const wxString& name, const std::vector<double>& values)
{
    // Whatever the process locale: the texts are read back in the C one.
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text.precision(17);
    for (size_t i = 0; i < values.size(); ++i)
        text << (i ? " " : "") << values[i];
    m_texts[name] = wxString::FromAscii(text.str().c_str());
}

void ConstantValues::remove(const wxString& name)
{
    m_texts.erase(name);
    m_arrays.erase(name);
}

bool ConstantValues::findNumber(const wxString& name, double& value) const
{
    const ValueMap::const_iterator it = m_numbers.find(name);
    if (it == m_numbers.end())
        return false;
    value = it->second;
    return true;
}

void ConstantValues::resolve(const SymbolTable& table)
{
    m_numbers.clear();
    for (const auto& entry : m_texts) {
        double number = 0.0;
        // An array's values are several numbers: the first does not stand for it.
        const Symbol* symbol = table.findSymbol(entry.first);
        if (symbol && symbol->isArray()) {
            std::vector<double> values;
            bool numbers = true;
            wxStringTokenizer words(entry.second, " \t\r\n", wxTOKEN_STRTOK);
            while (numbers && words.HasMoreTokens()) {
                numbers = words.GetNextToken().ToCDouble(&number);
                values.push_back(number);
            }
            if (numbers && !values.empty())
                setArray(entry.first, std::move(values));
            continue;
        }
        if (entry.second.ToCDouble(&number)) {
            m_numbers[entry.first] = number;
            continue;
        }
        // A bit field saved as one of its labels: the value is the label's place.
        if (symbol && symbol->isBitField()) {
            const int index = symbol->BitFields.Index(entry.second);
            if (index != wxNOT_FOUND)
                m_numbers[entry.first] = index;
        }
    }
}

void ConstantValues::setArray(const wxString& name, std::vector<double> values)
{
    m_arrays[name] = std::move(values);
}

const std::vector<double>* ConstantValues::findArray(const wxString& name) const
{
    const auto it = m_arrays.find(name);
    return it == m_arrays.end() ? nullptr : &it->second;
}
