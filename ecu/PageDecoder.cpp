#include "ecu/PageDecoder.h"

#include "definition/ConstantValues.h"
#include "definition/SymbolTable.h"
#include "ecu/ChannelDecoder.h"

namespace {

// The page's size as the file declares it, else as read.
size_t declaredSize(const LinkSettings& settings, size_t index, const std::vector<unsigned char>& bytes)
{
    return index < settings.pageSizes.size() ? static_cast<size_t>(settings.pageSizes[index])
                                             : bytes.size();
}

} // namespace

PageValues decodePages(const SymbolTable& table, const std::vector<std::vector<unsigned char>>& pages)
{
    PageValues values;
    const LinkSettings& settings = table.getLinkSettings();
    for (const std::unique_ptr<Symbol>& owned : table.getAllSymbols()) {
        const Symbol& symbol = *owned;
        // A name declared twice means its last declaration.
        if (!symbol.Const || symbol.PageNo < 1 || symbol.isExpression() ||
            table.findSymbol(symbol.Name) != &symbol ||
            static_cast<size_t>(symbol.PageNo) > pages.size())
            continue;
        const size_t index = static_cast<size_t>(symbol.PageNo) - 1;
        const std::vector<unsigned char>& bytes = pages[index];
        const int64_t count = symbol.isArray() ? int64_t(symbol.shape[0]) * symbol.shape[1] : 1;
        const int64_t end = int64_t(symbol.Offset) + count * symbol.SizeOf;
        if (symbol.Offset < 0 || count < 1 || end > int64_t(declaredSize(settings, index, bytes))) {
            values.pastPage.push_back(symbol.Name);
            continue;
        }
        if (bytes.empty())
            continue;
        if (!symbol.isArray()) {
            const std::optional<double> value =
                decodeChannel(symbol, bytes.data(), bytes.size(), settings.endianness);
            if (value)
                values.numbers[symbol.Name] = *value;
            else
                values.pastPage.push_back(symbol.Name);
            continue;
        }
        Symbol element = symbol;
        std::vector<double> array;
        array.reserve(static_cast<size_t>(count));
        for (int64_t i = 0; i < count; ++i) {
            element.Offset = static_cast<int32_t>(symbol.Offset + i * symbol.SizeOf);
            const std::optional<double> value =
                decodeChannel(element, bytes.data(), bytes.size(), settings.endianness);
            if (!value)
                break;
            array.push_back(*value);
        }
        if (array.size() == static_cast<size_t>(count))
            values.arrays[symbol.Name] = std::move(array);
        else
            values.pastPage.push_back(symbol.Name);
    }
    return values;
}

void applyPageValues(const PageValues& values, ConstantValues& constants)
{
    // As texts, over the tune's and the defaults': the next working out of
    // the numbers keeps them.
    for (const auto& number : values.numbers)
        constants.setNumbers(number.first, {number.second});
    for (const auto& array : values.arrays)
        constants.setNumbers(array.first, array.second);
    for (const wxString& name : values.pastPage)
        constants.remove(name);
}
