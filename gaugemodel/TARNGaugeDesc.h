#pragma once
// What a gauge shows and how: value name, texts, range, divisions, bands.
// Made and finished (expressions computed) by the definition file reader;
// owned by the symbol table; gauges see it only as const.
#include "gaugemodel/GaugeRange.h"

class GaugeExpressionResolver;

#include <wx/arrstr.h>
#include <wx/string.h>

#include <vector>

class TARNGaugeDesc {
public:
    // The fields a definition file may give as an {expression}.
    enum Field {
        FieldTitle,
        FieldUnits,
        FieldMin,
        FieldMax,
        FieldLowDanger,
        FieldLowWarning,
        FieldHighWarning,
        FieldHighDanger,
        FieldCount
    };

    virtual ~TARNGaugeDesc() = default;

    void setName(const wxString& v) { name = v; }
    void setSymbolName(const wxString& v) { symbolName = v; }
    void setTitle(const wxString& v) { title = v; }
    void setUnits(const wxString& v) { units = v; }
    void setLabelFormat(const wxString& v) { labelFormat = v; }
    void setMinValue(double v) { minValue = v; }
    void setMaxValue(double v) { maxValue = v; }
    void setMajorDivisions(int v) { majorDivisions = v; }
    void setMinorDivisions(int v) { minorDivisions = v; }
    // A value of 0 or less is ignored: the labels are divided by it.
    void setScaleFactor(int v);
    void setField10(int v) { field10 = v; }
    void setField11(int v) { field11 = v; }
    // The gaugeCategory line the entry follows; empty before the first.
    void setCategory(const wxString& v) { category = v; }
    // From now on the value shows field10 decimals and the dial labels
    // field11 (unless a label format was given): the digits that definition
    // files of other firmwares ask for. Without it the span chooses.
    void useFileDigits() { fileDigits = true; }

    void addRedRange(double lo, double hi);
    void addOrangeRange(double lo, double hi);

    // The expression text (without braces) of `field`; empty for a plain value.
    void setExpression(Field field, const wxString& expression);
    const wxString& getExpression(Field field) const;
    bool hasExpressions() const;
    // False while `field` is an expression that has not computed: its number
    // is then no value from the file.
    bool isResolved(Field field) const;
    // Computes the expression fields with `resolver` and takes their values:
    // limits into the range and the four bands, texts into title and units. A
    // field that cannot be computed keeps what it holds. True when a value
    // changed.
    bool resolveExpressions(const GaugeExpressionResolver& resolver);

    const wxString& getName() const { return name; }
    const wxString& getSymbolName() const { return symbolName; }
    const wxString& getTitle() const { return title; }
    const wxString& getUnits() const { return units; }
    const wxString& getLabelFormat() const { return labelFormat; }
    double getMinValue() const { return minValue; }
    double getMaxValue() const { return maxValue; }
    int getScaleFactor() const { return scaleFactor; }
    int getMajorDivisions() const { return majorDivisions; }
    int getMinorDivisions() const { return minorDivisions; }
    int getStartAngle() const { return startAngle; }
    int getSweepAngle() const { return sweepAngle; }
    int getField10() const { return field10; }
    int getField11() const { return field11; }
    const wxString& getCategory() const { return category; }
    bool usesFileDigits() const { return fileDigits; }
    int totalTicks() const { return majorDivisions * minorDivisions; }
    const std::vector<GaugeRange>& getRanges() const { return ranges; }

    // The dial labels: the scaled values from minValue to maxValue in
    // majorDivisions steps. Always ends, whatever the limits and divisions.
    // Traces each step, so the dial asks when it takes the description up.
    wxArrayString GaugeNumbers() const;
    // The printf format of the value readout: the file's digits, or chosen
    // by the span.
    wxString valueFormat() const;
    // The printf format of one dial label.
    wxString labelsFormat() const;
    // Multi-line text for the debug log.
    wxString describe() const;

    // Upper bound on dial labels, whatever majorDivisions says.
    static constexpr int kMaxLabels = 1000;

private:
    void addRange(double lo, double hi, const RangeColour& colour);
    bool resolveNumber(const GaugeExpressionResolver& resolver, Field field, double& value);

    std::vector<GaugeRange> ranges;
    wxString name;
    wxString symbolName;
    wxString title = "TARN";
    wxString units;
    wxString labelFormat = "%.0f";
    double minValue = 0.0;
    double maxValue = 1000.0;
    int scaleFactor = 1;
    int majorDivisions = 10;
    int minorDivisions = 5;
    int startAngle = 135;
    int sweepAngle = 270;
    int field10 = 0;
    int field11 = 0;
    bool fileDigits = false;
    wxString category;
    wxString m_expressions[FieldCount];
    unsigned m_unresolved = 0; // bit per Field
};

// The descriptions of one definition file, in file order. The position is a
// description's identity (two may share a symbol name).
using GaugeDescList = std::vector<const TARNGaugeDesc*>;
