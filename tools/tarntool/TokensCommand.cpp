// tarntool tokens [FILE]: every line of FILE (or standard input) as the
// definition file's tokenizer sees it, one JSON array per line.
#include "tools/tarntool/Command.h"
#include "tools/tarntool/DefinitionJson.h"
#include "tools/tarntool/InputFile.h"

#include "definition/LineReader.h"

#include <cstdio>

namespace {

class TokenPrinter : public LineReader {
public:
    void processLine() override
    {
        LineTokenizer tokens;
        tokens.tokenize(getCurrentLine());
        const std::string line = DumpLine(TokensToJson(tokens)) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
};

int RunTokens(const CommandArgs& args)
{
    const ParsedArgs parsed = ParseArgs(args, {}, {});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() > 1)
        return UsageError("tokens takes at most one FILE");

    std::string bytes;
    const std::string file = parsed.operands.empty() ? "-" : parsed.operands[0];
    std::string error;
    if (!ReadWholeFile(file, bytes, error))
        return UsageError("cannot read " + (file == "-" ? std::string("standard input") : file) +
                          ": " + error);
    TokenPrinter printer;
    printer.openBytes(std::move(bytes));
    while (printer.readNext()) {
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

TARNTOOL_COMMAND("tokens", "[FILE]", RunTokens);
