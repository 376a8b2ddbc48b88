// Arbitrary text through the dialect of other firmwares' files: compiled
// once, then run over three ticks of a small scope with every kind of input
// (a name without a value, an array, a table, history). Compiling must never
// crash or recurse without bound; a run gives no value or a finite number,
// the same for the same inputs.
#include "expr/ChannelHistory.h"
#include "expr/CompiledExpression.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

namespace {

const double kNone = std::numeric_limits<double>::quiet_NaN();

class Scope : public ExpressionScope, public ExpressionSources {
public:
    double values[5] = {3000, 0, kNone, 1e308, -2.5};
    ChannelHistory histories[5];
    std::vector<double> elements{1, 2, 3};

    int slotOf(const wxString& name, bool) override
    {
        static const char* const names[] = {"rpm", "x", "none", "big", "neg"};
        for (int i = 0; i < 5; ++i)
            if (name == names[i])
                return i;
        return -1;
    }
    int tableOf(const wxString& file) override { return file == "t.inc" ? 0 : 1; }
    int arrayOf(const wxString& name) override { return name == "a" ? 0 : -1; }

    double value(int slot) const override { return values[slot]; }
    double seconds() const override { return 1.5; }
    bool celsius() const override { return true; }
    std::optional<double> lookup(int table, double x) const override
    {
        return table == 0 ? std::optional<double>(x / 2) : std::nullopt;
    }
    const std::vector<double>* array(int id) const override { return id == 0 ? &elements : nullptr; }
    const ChannelHistory* history(int slot) const override { return &histories[slot]; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Scope scope;
    const wxString text = wxString::FromUTF8(reinterpret_cast<const char*>(data), size);
    const CompiledExpression compiled = CompiledExpression::compile(text, scope);
    if (!compiled.ok() && compiled.evaluate(scope))
        std::abort();
    for (int tick = 0; tick < 3; ++tick) {
        const std::optional<double> first = compiled.evaluate(scope);
        const std::optional<double> second = compiled.evaluate(scope);
        if (first.has_value() != second.has_value() || (first && (*first != *second || !std::isfinite(*first))))
            std::abort();
        for (int slot = 0; slot < 5; ++slot)
            scope.histories[slot].add(scope.values[slot] + tick);
    }
    return 0;
}
