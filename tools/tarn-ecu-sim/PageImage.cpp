#include "tools/tarn-ecu-sim/PageImage.h"

#include "definition/SymbolTable.h"

#include <wx/tokenzr.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// The raw field of `symbol` for `value`, clamped to what the field holds.
uint32_t RawOf(const Symbol& symbol, double value)
{
    if (symbol.Float) {
        const float f = static_cast<float>(symbol.Scale != 0 ? value / symbol.Scale - symbol.Trans : value);
        uint32_t bits = 0;
        std::memcpy(&bits, &f, sizeof bits);
        return bits;
    }
    double raw = symbol.isBitField() ? value - symbol.BitOfs
                                     : (symbol.Scale != 0 ? value / symbol.Scale : 0) - symbol.Trans;
    raw = std::round(raw);
    const int bits = symbol.isBitField() ? symbol.BitHi - symbol.BitLo + 1 : symbol.SizeOf * 8;
    const double span = std::ldexp(1.0, bits);
    const bool isSigned = symbol.Signed && !symbol.isBitField();
    const double lo = isSigned ? -span / 2 : 0, hi = isSigned ? span / 2 - 1 : span - 1;
    if (!(raw >= lo))
        raw = lo;
    if (raw > hi)
        raw = hi;
    const int64_t whole = static_cast<int64_t>(raw);
    return static_cast<uint32_t>(whole < 0 ? whole + static_cast<int64_t>(span) : whole);
}

void Put(const Symbol& symbol, int64_t offset, double value, ByteOrder order, std::string& page)
{
    const int size = symbol.SizeOf;
    if ((size != 1 && size != 2 && size != 4) || offset < 0 ||
        offset + size > static_cast<int64_t>(page.size()))
        return;
    uint32_t field = 0;
    for (int i = 0; i < size; ++i) {
        const int at = order == ByteOrder::Big ? i : size - 1 - i;
        field = field << 8 | static_cast<unsigned char>(page[size_t(offset + at)]);
    }
    uint32_t raw = RawOf(symbol, value);
    if (symbol.isBitField()) {
        const int width = symbol.BitHi - symbol.BitLo + 1;
        if (symbol.BitLo < 0 || width < 1 || symbol.BitHi >= size * 8)
            return;
        const uint32_t mask = (width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1) << symbol.BitLo;
        raw = (field & ~mask) | ((raw << symbol.BitLo) & mask);
    }
    for (int i = 0; i < size; ++i) {
        const int shift = order == ByteOrder::Big ? (size - 1 - i) * 8 : i * 8;
        page[size_t(offset + i)] = static_cast<char>((raw >> shift) & 0xFF);
    }
}

// An array's values as a tune or a default writes them: numbers apart by
// white space.
std::vector<double> NumbersOf(const wxString& text)
{
    std::vector<double> numbers;
    wxStringTokenizer words(text, wxS(" \t\r\n"), wxTOKEN_STRTOK);
    while (words.HasMoreTokens()) {
        double number = 0;
        if (!words.GetNextToken().ToCDouble(&number))
            return {};
        numbers.push_back(number);
    }
    return numbers;
}

} // namespace

std::vector<std::string> BuildPageImage(const SymbolTable& table, size_t* written)
{
    const LinkSettings& settings = table.getLinkSettings();
    std::vector<std::string> pages;
    for (int i = 0; i < settings.nPages && size_t(i) < settings.pageSizes.size(); ++i)
        pages.emplace_back(size_t(settings.pageSizes[size_t(i)]), '\0');
    size_t count = 0;
    const ConstantValues& values = table.getConstantValues();
    for (const std::unique_ptr<Symbol>& owned : table.getAllSymbols()) {
        const Symbol& symbol = *owned;
        if (!symbol.Const || symbol.PageNo < 1 || size_t(symbol.PageNo) > pages.size() ||
            symbol.isExpression() || table.findSymbol(symbol.Name) != &symbol)
            continue;
        std::string& page = pages[size_t(symbol.PageNo) - 1];
        if (symbol.isArray()) {
            wxString text;
            const std::vector<double> numbers =
                values.findText(symbol.Name, text) ? NumbersOf(text) : std::vector<double>();
            for (size_t k = 0; k < numbers.size() && k < size_t(symbol.shape[0]) * size_t(symbol.shape[1]); ++k)
                Put(symbol, symbol.Offset + int64_t(k) * symbol.SizeOf, numbers[k], settings.endianness, page);
            count += numbers.empty() ? 0 : 1;
            continue;
        }
        double value = 0;
        if (!values.findNumber(symbol.Name, value))
            continue;
        Put(symbol, symbol.Offset, value, settings.endianness, page);
        ++count;
    }
    if (written)
        *written = count;
    return pages;
}
