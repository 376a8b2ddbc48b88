#pragma once
// What an expression text refers to, read with the evaluator's word rules
// (a letter, then letters, digits and "_"; directly followed by "(" it is a
// function) without computing anything: the variables, the functions called
// and the quoted texts, each once, in order of first appearance.
#include <wx/arrstr.h>
#include <wx/string.h>

struct ExpressionNames {
    wxArrayString variables;
    wxArrayString functions;
    wxArrayString strings;
};

ExpressionNames scanExpression(const wxString& expression);
