#pragma once
// A function the evaluator can call by name. The registry keeps one prototype
// per name; every call works on a fresh copy, so arguments never leak from one
// call into the next.
#include <wx/string.h>

#include <memory>
#include <vector>

class EvalFunction {
public:
    virtual ~EvalFunction() = default;

    // Arguments arrive in call order; numbers and words go to separate lists.
    virtual void addNumber(double value) { numbers.push_back(value); }
    virtual void addString(const wxString& text) { strings.push_back(text); }
    // The value of the call once every argument has been handed over. May throw
    // Error::SyntaxError or Error::ZeroDivide; the evaluator reports either.
    virtual double compute() = 0;
    // A fresh object of the same kind with empty argument lists; never null.
    virtual std::unique_ptr<EvalFunction> clone() const = 0;

protected:
    std::vector<double> numbers;
    std::vector<wxString> strings;
};
