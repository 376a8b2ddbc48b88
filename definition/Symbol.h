#pragma once
// One value the definition file declares: a constant, an output channel, a bit
// field, an array, or a channel computed from an expression.
#include <wx/arrstr.h>
#include <wx/string.h>

#include <cmath>
#include <cstdint>
#include <vector>

// The fields of an entry that another firmware's file may write as an
// {expression} over its constants.
enum class SymbolField { Units, Scale, Trans, Lo, Hi, Digits };

struct FieldExpression {
    SymbolField field;
    wxString text; // without the braces
};

class Symbol {
public:
    virtual ~Symbol() = default;

    void setIdentity(const wxString& name, const wxString& units, bool isConst, int32_t pageNo,
                     int32_t offset);
    void setType(bool isSigned, int32_t sizeOf);
    // Note the order: Digits comes last.
    void setScaling(double scale, double trans, double lo, double hi, int32_t digits);
    void setArray(bool xOrderFlag, int32_t orderValue, int32_t shape0, int32_t shape1);
    void setBits(int32_t bitLo, int32_t bitHi, int32_t bitOfs, const wxArrayString& bitFields);
    void setExpression(const wxString& name, const wxString& expression);

    bool isExpression() const { return !expr.empty(); }
    bool isBitField() const { return BitLo != -1; }
    bool isArray() const { return order != 0; }
    // Decoded from the runtime data block as a plain value (bit fields included).
    bool isScalarChannel() const { return order == 0 && expr.empty(); }
    // False while Scale or Trans is an expression that does not compute (they
    // are NaN then): the symbol has no value rather than a made-up one.
    bool hasScaling() const { return !std::isnan(Scale) && !std::isnan(Trans); }

    // One-line text form for the parser's trace.
    wxString describe() const;

    wxString Name;
    wxString Units;
    bool Const = false;
    int32_t PageNo = 0;
    int32_t Offset = -1;
    int32_t SizeOf = 1;
    bool Signed = false;
    // An IEEE 754 single (type F32) rather than an integer; SizeOf is then 4.
    bool Float = false;
    double Scale = 1.0;
    double Trans = 0.0;
    int32_t Digits = 0;
    double Lo = 0.0;
    double Hi = 0.0;
    bool xOrder = true;
    int32_t order = 0;
    int32_t shape[2] = {1, 1};
    int32_t BitLo = -1;
    int32_t BitHi = -1;
    int32_t BitOfs = 0;
    wxArrayString BitFields;
    wxString expr;
    // Fields written as {expressions}, computed by SymbolTable::resolveScales().
    std::vector<FieldExpression> fieldExpressions;
};
