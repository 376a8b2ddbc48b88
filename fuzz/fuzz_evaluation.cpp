// Arbitrary text through the evaluator. The first byte chooses the set-up:
// bit 0 a table of values (else none), bit 1 the text decoded as UTF-8 (else
// byte by byte, so every byte value reaches the tokenizer), bit 2 logging off.
// Evaluating the same text twice must give the same value: nothing of one
// call (skipping, nesting, token state) may leak into the next.
#include "expr/Evaluation.h"

#include <wx/log.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

class DiscardLog : public wxLog {
protected:
    void DoLogRecord(wxLogLevel, const wxString&, const wxLogRecordInfo&) override {}
};

class Sum : public EvalFunction {
public:
    double compute() override
    {
        double sum = static_cast<double>(strings.size());
        for (double n : numbers)
            sum += n;
        return sum;
    }
    std::unique_ptr<EvalFunction> clone() const override { return std::make_unique<Sum>(); }
};

bool sameValue(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static DiscardLog* sink = [] {
        auto* log = new DiscardLog;
        wxLog::SetActiveTarget(log);
        return log;
    }();
    (void)sink;
    if (size == 0)
        return 0;

    const uint8_t mode = data[0];
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const wxString text = (mode & 2) ? wxString::FromUTF8(bytes, size - 1)
                                     : wxString(bytes, wxConvISO8859_1, size - 1);
    wxLog::EnableLogging(!(mode & 4));

    ValueMap table;
    table["rpm"] = 3000;
    table["x"] = 0;
    table["nan"] = std::numeric_limits<double>::quiet_NaN();
    table["big"] = 1e300;
    Evaluation evaluation;
    if (mode & 1)
        evaluation.setTable(&table);
    evaluation.registerFunction("sum", std::make_unique<Sum>());

    const double first = evaluation.evaluate(text);
    const double second = evaluation.evaluate(text);
    if (!sameValue(first, second))
        std::abort();
    return 0;
}
