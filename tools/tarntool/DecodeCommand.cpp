// tarntool decode FILE HEX: the values one tick of the ECU input would show
// for a runtime data block given in hexadecimal, as one JSON object with the
// output channels' names as keys (sorted).
#include "tools/tarntool/Command.h"
#include "tools/tarntool/DefinitionJson.h"
#include "tools/tarntool/JsonOutput.h"

#include "ecu/RTDataMgrSerial.h"
#include "ecu/RuntimeData.h"

#include <wx/log.h>

#include <cctype>
#include <cstdio>
#include <memory>
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
std::string ParseHex(const std::string& text, std::vector<unsigned char>& bytes)
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
        if (bytes.size() == kRuntimeDataCapacity)
            return "HEX: more than " + std::to_string(kRuntimeDataCapacity) +
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
    const ParsedArgs parsed = ParseArgs(args, {}, {});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() != 2)
        return UsageError("decode needs FILE and HEX");

    std::vector<unsigned char> bytes;
    const std::string hexError = ParseHex(parsed.operands[1], bytes);
    if (!hexError.empty())
        return UsageError(hexError);
    wxArrayString warnings;
    std::string readError;
    std::unique_ptr<SymbolTable> table(LoadQuietly(parsed.operands[0], warnings, readError));
    if (!table)
        return UsageError("cannot read " + parsed.operands[0] + ": " + readError);

    ValueMap values;
    for (const auto& entry : table->getSymbols())
        if (entry.second && IsOutputChannel(*entry.second))
            values[entry.first] = 0.0;
    {
        // Two debug-log lines per channel and one per name: not for a terminal.
        wxLogNull quiet;
        loadRuntimeData(bytes.data(), bytes.size());
        RTDataMgrSerial input(nullptr, table.get());
        input.setValueMap(&values);
        input.Update();
    }
    nlohmann::json document = nlohmann::json::object(); // keys sorted by code point
    for (const auto& entry : values)
        document[ToUtf8(entry.first)] = entry.second;
    const std::string line = DumpJsonLine(document) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
    return 0;
}

} // namespace

TARNTOOL_COMMAND("decode", "FILE HEX", RunDecode);
