#pragma once
// Works out the fields that another firmware's file writes as {expressions}
// (units, scale, translate, limits, digits) over the table's constants, with
// the table's expression context. A name in such an expression must be a
// constant with a value or an expression channel (computed in its place);
// anything else would read as a made-up 0, so the field does not compute.
// A scale or translate that does not compute becomes NaN (the symbol then has
// no value); units that do not compute are empty, and limits and digits (hints
// the dashboard does not use) 0.
#include <wx/arrstr.h>

class SymbolTable;

// Returns one text per scale or translate that did not compute, naming the
// symbol, the field, the reason and the entry's line.
wxArrayString resolveSymbolFields(SymbolTable& table);
