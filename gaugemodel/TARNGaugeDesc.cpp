#include "gaugemodel/TARNGaugeDesc.h"

#include "base/StderrTrace.h"
#include "gaugemodel/GaugeExpressionResolver.h"
#include "gaugemodel/NumberFormat.h"

#include <algorithm>
#include <cmath>

const RangeColour kRangeRed = {255, 0, 0, "red"};
const RangeColour kRangeOrange = {255, 128, 0, "orange"};

void TARNGaugeDesc::setScaleFactor(int v)
{
    if (v > 0)
        scaleFactor = v;
}

void TARNGaugeDesc::addRange(double lo, double hi, const RangeColour& colour)
{
    ranges.push_back(GaugeRange{lo, hi, &colour});
}

void TARNGaugeDesc::addRedRange(double lo, double hi)
{
    addRange(lo, hi, kRangeRed);
}

void TARNGaugeDesc::addOrangeRange(double lo, double hi)
{
    addRange(lo, hi, kRangeOrange);
}

void TARNGaugeDesc::setExpression(Field field, const wxString& expression)
{
    if (field < 0 || field >= FieldCount)
        return;
    m_expressions[field] = expression;
    if (expression.empty())
        m_unresolved &= ~(1u << field);
    else
        m_unresolved |= 1u << field;
}

bool TARNGaugeDesc::isResolved(Field field) const
{
    return field < 0 || field >= FieldCount || !(m_unresolved & (1u << field));
}

const wxString& TARNGaugeDesc::getExpression(Field field) const
{
    static const wxString none;
    return field >= 0 && field < FieldCount ? m_expressions[field] : none;
}

bool TARNGaugeDesc::hasExpressions() const
{
    for (const wxString& expression : m_expressions)
        if (!expression.empty())
            return true;
    return false;
}

bool TARNGaugeDesc::resolveNumber(const GaugeExpressionResolver& resolver, Field field,
                                  double& value)
{
    const wxString& expression = m_expressions[field];
    double computed = value;
    if (expression.empty() || !resolver.number(expression, computed))
        return false;
    m_unresolved &= ~(1u << field);
    if (computed == value)
        return false;
    value = computed;
    return true;
}

bool TARNGaugeDesc::resolveExpressions(const GaugeExpressionResolver& resolver)
{
    if (!hasExpressions())
        return false;
    bool changed = false;
    wxString text;
    if (!m_expressions[FieldTitle].empty() && resolver.text(m_expressions[FieldTitle], text) &&
        !text.empty() && text != title) {
        title = text;
        changed = true;
    }
    if (!m_expressions[FieldUnits].empty() && resolver.text(m_expressions[FieldUnits], text) &&
        text != units) {
        units = text;
        changed = true;
    }
    changed |= resolveNumber(resolver, FieldMin, minValue);
    changed |= resolveNumber(resolver, FieldMax, maxValue);
    // The bands are the only home of the four limits: red from the minimum to
    // the low danger limit, orange to the low warning limit, orange from the
    // high warning to the high danger limit, red from there to the maximum.
    if (ranges.size() == 4) {
        changed |= resolveNumber(resolver, FieldLowDanger, ranges[0].hi);
        changed |= resolveNumber(resolver, FieldLowWarning, ranges[1].hi);
        changed |= resolveNumber(resolver, FieldHighWarning, ranges[2].lo);
        changed |= resolveNumber(resolver, FieldHighDanger, ranges[2].hi);
        ranges[0].lo = minValue;
        ranges[1].lo = ranges[0].hi;
        ranges[3].lo = ranges[2].hi;
        ranges[3].hi = maxValue;
    }
    return changed;
}

wxArrayString TARNGaugeDesc::GaugeNumbers() const
{
    wxArrayString labels;
    const double step = ((maxValue - minValue) / scaleFactor) / majorDivisions;
    double v = (1.0 / scaleFactor) * minValue;
    const double end = (1.0 / scaleFactor) * maxValue;
    if (!(v <= end))
        return labels;
    // The running sum alone would never pass `end` with a zero step (equal
    // limits) or a negative or infinite one (division counts of 0 or less).
    int limit = majorDivisions + 1;
    if (!(step > 0.0) || !std::isfinite(step) || majorDivisions < 1)
        limit = 1;
    if (limit > kMaxLabels)
        limit = kMaxLabels;
    const wxString format = labelsFormat();
    do {
        labels.Add(FormatNumber(format, v));
        v = v + step;
        StderrTrace("TARNGaugeDesc::SetGaugeNumbers() %f\n", v);
    } while (!(v > end) && static_cast<int>(labels.GetCount()) < limit);
    return labels;
}

namespace {

// More decimals than a double holds mean nothing; a negative count is none.
wxString DecimalsFormat(int digits)
{
    return wxString::Format("%%.%df", std::clamp(digits, 0, 9));
}

} // namespace

wxString TARNGaugeDesc::labelsFormat() const
{
    return fileDigits && labelFormat == "%.0f" ? DecimalsFormat(field11) : labelFormat;
}

wxString TARNGaugeDesc::valueFormat() const
{
    if (fileDigits)
        return DecimalsFormat(field10);
    const double span = maxValue - minValue;
    if (span > 1000)
        return "%.0f";
    if (span > 100)
        return "%3.1f";
    if (span > 10)
        return "%2.2f";
    if (span > 0.1)
        return "%1.2f";
    return "%.0f";
}

wxString TARNGaugeDesc::describe() const
{
    wxString text = wxString::Format(
        "Name : %s \nSymbol Name : %s \nMin Value : %f \nMax Value : %f \nScale factor: %i "
        "\nMajor divisions: %i \n",
        name, symbolName, minValue, maxValue, scaleFactor, majorDivisions);
    for (const GaugeRange& range : ranges)
        text += wxString::Format("min value : %f; max value : %f; \n", range.lo, range.hi);
    return text;
}
