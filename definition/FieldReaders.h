#pragma once
// The three field grammars shared by the [Constants] and [OutputChannels]
// handlers. Each fills `symbol` through its setter or throws ParserException
// with its message and `line` (the 0-based line index), leaving the symbol's
// fields for that grammar unset.
#include "definition/LineTokenizer.h"
#include "definition/ParserException.h"
#include "definition/Symbol.h"

// The first "U" or "S" directly followed by "08", "16" or "32", anywhere in
// `text`; failing that, "F32" (a single-precision float of 4 bytes).
// "Type field error!" when there is neither.
void readTypeField(const wxString& text, Symbol& symbol, int32_t line);

// An optional "X:"/"Y:" prefix, then one size or two joined by a lower-case
// "x"; spaces are removed first and trailing text is ignored. The match is the
// longest one, so "16x12" is two sizes and "8X8" the single size 8.
void readArrayShape(const wxString& text, Symbol& symbol, int32_t line);

// "lo:hi", optionally followed by "+" and offset digits, read from token
// `field` (4 in [Constants]); the tokens after it become the bit names.
void readBitField(const LineTokenizer& tokens, Symbol& symbol, int32_t line, int field = 4);

// Another firmware's units (token `field`) and scaling (scale, translate, lo,
// hi and digits from token `first` on). A number is taken as it is; an absent
// field reads as scale 1, else 0; an {expression} is kept on the symbol for
// SymbolTable::resolveScales() (a scale or translate reads NaN until then).
// Any other token is named in `problems` (with `line`), and a scale or
// translate that is not a number leaves the symbol without a value.
void readUnitsField(const LineTokenizer& tokens, int field, Symbol& symbol);
void readScalingFields(const LineTokenizer& tokens, int first, Symbol& symbol, int32_t line,
                       wxArrayString& problems);

// Decimal digits to a 32-bit signed integer; false when empty, not all digits
// or beyond INT32_MAX.
bool digitsToInt32(const wxString& digits, int32_t& value);
