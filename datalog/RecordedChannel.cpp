#include "datalog/RecordedChannel.h"

#include "definition/SymbolTable.h"

#include <cmath>
#include <set>

namespace {

const int kMaxDecimals = 9;
const int kNoFormat = -2;

// Enough digits to show every step of `scale` (0.1 -> 1, 0.01 -> 2, 1 -> 0).
int DecimalsOfScale(double scale)
{
    if (!std::isfinite(scale) || scale == 0)
        return -1;
    double unit = 1;
    for (int decimals = 0; decimals <= 6; ++decimals, unit *= 10) {
        const double steps = scale * unit;
        if (std::fabs(steps - std::round(steps)) < 1e-9 * unit)
            return decimals;
    }
    return -1;
}

bool Recordable(const Symbol* symbol)
{
    return symbol && !symbol->Const && (symbol->isScalarChannel() || symbol->isExpression());
}

} // namespace

int DecimalsOfFormat(const wxString& format)
{
    wxString::const_iterator it = format.begin();
    const wxString::const_iterator end = format.end();
    if (it == end || *it != '%')
        return kNoFormat;
    ++it;
    while (it != end && wxString("-+ 0#").Find(*it) != wxNOT_FOUND)
        ++it;
    while (it != end && *it >= '0' && *it <= '9')
        ++it;
    int precision = -1;
    if (it != end && *it == '.') {
        precision = 0;
        for (++it; it != end && *it >= '0' && *it <= '9'; ++it)
            precision = std::min(kMaxDecimals, precision * 10 + static_cast<int>((*it).GetValue() - '0'));
    }
    while (it != end && (*it == 'l' || *it == 'h'))
        ++it;
    if (it == end || it + 1 != end)
        return kNoFormat;
    switch (static_cast<char>((*it).GetValue())) {
    case 'd': case 'i': case 'u': case 'x': case 'X': case 'o':
        return 0;
    case 'f': case 'F':
        return precision < 0 ? 6 : precision;
    case 'e': case 'E': case 'g': case 'G':
        return -1;
    default:
        return kNoFormat;
    }
}

std::vector<RecordedChannel> RecordedChannelsOf(const SymbolTable& table)
{
    std::vector<RecordedChannel> channels;
    std::set<wxString> taken;
    auto add = [&](const Symbol* symbol, int decimals) {
        if (!taken.insert(symbol->Name).second)
            return;
        if (decimals == kNoFormat)
            decimals = symbol->isExpression() ? -1 : DecimalsOfScale(symbol->Scale);
        channels.push_back({symbol->Name, symbol->Units, decimals});
    };
    for (const DatalogEntry& entry : table.getDatalogEntries()) {
        const Symbol* symbol = table.findSymbol(entry.a);
        if (Recordable(symbol))
            add(symbol, DecimalsOfFormat(entry.d));
    }
    if (!channels.empty())
        return channels;
    for (const auto& owned : table.getAllSymbols()) {
        // The table answers for the symbol a name stands for now (duplicates replace).
        const Symbol* symbol = table.findSymbol(owned->Name);
        if (Recordable(symbol) && symbol->isScalarChannel())
            add(symbol, kNoFormat);
    }
    return channels;
}
