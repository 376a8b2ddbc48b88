// tarntool tokens [FILE]: every line of FILE (or standard input) as the
// definition file's tokenizer sees it, one JSON array per line.
#include "tools/tarntool/Command.h"
#include "tools/tarntool/DefinitionJson.h"

#include "definition/LineReader.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

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

bool ReadStream(std::istream& in, std::string& bytes)
{
    std::ostringstream buffer;
    buffer << in.rdbuf();
    bytes = buffer.str();
    return !in.bad();
}

int RunTokens(const CommandArgs& args)
{
    const ParsedArgs parsed = ParseArgs(args, {}, {});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() > 1)
        return UsageError("tokens takes at most one FILE");

    std::string bytes;
    const std::string file = parsed.operands.empty() ? "-" : parsed.operands[0];
    if (file == "-") {
        std::ios::sync_with_stdio(false);
        if (!ReadStream(std::cin, bytes))
            return UsageError("cannot read standard input");
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in || !ReadStream(in, bytes))
            return UsageError("cannot read " + file);
    }
    TokenPrinter printer;
    printer.openBytes(std::move(bytes));
    while (printer.readNext()) {
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

TARNTOOL_COMMAND("tokens", "[FILE]", RunTokens);
