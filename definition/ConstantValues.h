#pragma once
// The values of a definition file's constants that expressions may use:
// the file's defaults ([ConstantsExtensions] "defaultValue" lines), then a
// tune file's values over them, then the values read from the ECU's pages
// over both. Kept as the texts given; numbers are worked out against the
// symbols once the file is read (a bit field's value may be one of its
// labels; an array's text is its values, blank-separated).
#include "base/ValueMap.h"

#include <wx/string.h>

#include <map>
#include <vector>

class SymbolTable;

class ConstantValues {
public:
    // A value as written: a number, or a label/text (quotes removed).
    void setText(const wxString& name, const wxString& text);
    bool findText(const wxString& name, wxString& text) const;
    // Numbers read from the ECU (one for a scalar), as exact as a double is.
    void setNumbers(const wxString& name, const std::vector<double>& values);
    // The constant has no value any more (neither text nor array).
    void remove(const wxString& name);
    // Works out the numbers from the texts; call after the symbols are known
    // and after each change of the texts.
    void resolve(const SymbolTable& table);
    // The constants that have a numeric value, by name.
    const ValueMap& numbers() const { return m_numbers; }
    bool findNumber(const wxString& name, double& value) const;
    size_t size() const { return m_texts.size(); }

    // The values of an array constant, in the file's element order.
    void setArray(const wxString& name, std::vector<double> values);
    // Null when the array has none.
    const std::vector<double>* findArray(const wxString& name) const;

private:
    std::map<wxString, wxString> m_texts;
    ValueMap m_numbers;
    std::map<wxString, std::vector<double>> m_arrays;
};
