// tarntool decode FILE HEX: the values one tick of the ECU input would show
// for a runtime data block given in hexadecimal, as one JSON object with the
// output channels' names as keys (sorted).
#include "tools/tarntool/Command.h"
#include "tools/tarntool/DefinitionJson.h"
#include "tools/tarntool/JsonOutput.h"

#include "ecu/BlockDecoder.h"
#include "link/RuntimeData.h"

#include <wx/log.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Hex digits, whitespace anywhere; an error text when malformed.
std::string ParseHex(const std::string& text, std::vector<unsigned char>& bytes, size_t capacity)
{
    int high = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        const int digit = HexDigit(c);
        if (digit < 0)
            return "HEX: '" + std::string(1, c) + "' at position " + std::to_string(i + 1) +
                   " is not a hex digit";
        if (high < 0) {
            high = digit;
            continue;
        }
        if (bytes.size() == capacity)
            return "HEX: more than " + std::to_string(capacity) +
                   " bytes (the runtime data block's size)";
        bytes.push_back(static_cast<unsigned char>(high << 4 | digit));
        high = -1;
    }
    if (high >= 0)
        return "HEX: odd number of hex digits";
    return "";
}

// Scalar and expression channels of [OutputChannels]: not constants, not arrays.
bool IsOutputChannel(const Symbol& symbol)
{
    return !symbol.Const && (symbol.isScalarChannel() || symbol.isExpression());
}

int RunDecode(const CommandArgs& args)
{
    const ParsedArgs parsed = ParseArgs(args, kDefinitionOptionNames, {});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() != 2)
        return UsageError("decode needs FILE and HEX");

    // Malformed text is refused before the file is read; its size only after.
    std::vector<unsigned char> bytes;
    std::string hexError = ParseHex(parsed.operands[1], bytes, SIZE_MAX);
    if (!hexError.empty())
        return UsageError(hexError);
    wxArrayString warnings;
    std::string error;
    std::unique_ptr<SymbolTable> table(
        LoadQuietly(parsed.operands[0], warnings, DefinitionOptionsOf(parsed), error));
    if (!table)
        return UsageError(error);
    // The dashboard's own firmware fills its block buffer; any other firmware
    // sends the block its file declares.
    const size_t capacity = table->getLinkSettings().isBuiltInFirmware()
                                ? kRuntimeDataCapacity
                                : static_cast<size_t>(table->getBlockSize());
    bytes.clear();
    hexError = ParseHex(parsed.operands[1], bytes, capacity);
    if (!hexError.empty())
        return UsageError(hexError);
    bytes.resize(capacity, 0); // the rest of the block is zero

    nlohmann::json document = nlohmann::json::object(); // keys sorted by code point
    {
        // The evaluator traces every step: not for a terminal.
        wxLogNull quiet;
        BlockDecoder decoder(table.get());
        decoder.decode(bytes.data(), bytes.size());
        for (const auto& entry : table->getSymbols()) {
            const Symbol* symbol = entry.second;
            if (!symbol || !IsOutputChannel(*symbol))
                continue;
            const std::optional<double> value = decoder.value(entry.first);
            document[ToUtf8(entry.first)] = value ? nlohmann::json(*value) : nlohmann::json(nullptr);
        }
    }
    const std::string line = DumpJsonLine(document) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
    return 0;
}

} // namespace

TARNTOOL_COMMAND("decode", "[--set NAME]... [--tune FILE.msq] FILE HEX", RunDecode);
