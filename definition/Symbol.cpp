#include "definition/Symbol.h"

void Symbol::setIdentity(const wxString& name, const wxString& units, bool isConst, int32_t pageNo,
                         int32_t offset)
{
    Name = name;
    Units = units;
    Const = isConst;
    PageNo = pageNo;
    Offset = offset;
}

void Symbol::setType(bool isSigned, int32_t sizeOf)
{
    Signed = isSigned;
    SizeOf = sizeOf;
}

void Symbol::setScaling(double scale, double trans, double lo, double hi, int32_t digits)
{
    Scale = scale;
    Trans = trans;
    Lo = lo;
    Hi = hi;
    Digits = digits;
}

void Symbol::setArray(bool xOrderFlag, int32_t orderValue, int32_t shape0, int32_t shape1)
{
    xOrder = xOrderFlag;
    order = orderValue;
    shape[0] = shape0;
    shape[1] = shape1;
}

void Symbol::setBits(int32_t bitLo, int32_t bitHi, int32_t bitOfs, const wxArrayString& bitFields)
{
    BitLo = bitLo;
    BitHi = bitHi;
    BitOfs = bitOfs;
    BitFields = bitFields;
}

void Symbol::setExpression(const wxString& name, const wxString& expression)
{
    Name = name;
    expr = expression;
}

wxString Symbol::describe() const
{
    if (!expr.empty())
        return wxString::Format("name: %s, expr: %s", Name, expr);

    wxString text = wxString::Format(
        "Name : %s ; Units : %s ;Const : %d ;PageNo : %d ;Offset : %d ; SizeOf : %d ; Signed : %d ; ",
        Name, Units, int(Const), PageNo, Offset, SizeOf, int(Signed));
    if (BitLo != -1) {
        text += wxString::Format("BitLo : %d ; BitHi : %d ; BitOfs : %d ; ", BitLo, BitHi, BitOfs);
        text += "BitFields : ";
        for (const wxString& field : BitFields)
            text += field + ", ";
        return text;
    }
    text += wxString::Format("Scale : %f ; Trans : %f ; Lo : %f ; Hi : %f ; Digits : %d ; ", Scale,
                             Trans, Lo, Hi, Digits);
    if (order != 0)
        text += wxString::Format("xOrder : %d ; order : %d ; shape[0] : %d ; shpae[1] : %d ; ",
                                 int(xOrder), order, shape[0], shape[1]);
    return text;
}
