#pragma once
// Computes the {expressions} a gauge description may hold in place of its
// limits, title or units. The definition file's reader supplies one; the
// description only asks it, so the gauge model needs no evaluator.
#include <wx/string.h>

class GaugeExpressionResolver {
public:
    virtual ~GaugeExpressionResolver() = default;
    // False when `expression` cannot be computed; `value` is then unchanged.
    virtual bool number(const wxString& expression, double& value) const = 0;
    virtual bool text(const wxString& expression, wxString& value) const = 0;
};
