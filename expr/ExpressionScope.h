#pragma once
// What a compiled expression of the definition files' dialect (see
// CompiledExpression.h) refers to. Names, lookup tables and arrays become
// numbers when the text is compiled (ExpressionScope) and are read by those
// numbers each time it runs (ExpressionSources); one owner gives both.
#include <optional>
#include <vector>
#include <wx/string.h>

class ChannelHistory;

class ExpressionScope {
public:
    virtual ~ExpressionScope() = default;
    // The slot of a value name; -1 for a name the owner does not know.
    // `history`: the expression asks for the name's past (pastValue...).
    virtual int slotOf(const wxString& name, bool history) = 0;
    // The number of table(x, "file"), of arrayValue(array.NAME, i); -1 unknown.
    virtual int tableOf(const wxString& file) = 0;
    virtual int arrayOf(const wxString& name) = 0;
};

class ExpressionSources {
public:
    virtual ~ExpressionSources() = default;
    // NaN stands for no value in each.
    virtual double value(int slot) const = 0;
    // timeNow: seconds since the connection or the replay started.
    virtual double seconds() const = 0;
    // The CELSIUS setting, for tempCvt().
    virtual bool celsius() const = 0;
    virtual std::optional<double> lookup(int table, double x) const = 0;
    // Null when the array has no values.
    virtual const std::vector<double>* array(int id) const = 0;
    // Null when no past was kept.
    virtual const ChannelHistory* history(int slot) const = 0;
};
