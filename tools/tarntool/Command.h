#pragma once
// Sub-commands of tarntool. Each lives in its own file and registers itself
// with TARNTOOL_COMMAND; main() looks the first argument up here.
#include <string>
#include <vector>

using CommandArgs = std::vector<std::string>;
// Returns the process exit code.
using CommandFunction = int (*)(const CommandArgs& args);

struct CommandInfo {
    const char* name;
    const char* usage; // one line: arguments after the command name
    CommandFunction run;
};

bool RegisterCommand(const CommandInfo& info);
const std::vector<CommandInfo>& RegisteredCommands();

// Splits `args` into options (words beginning with "--", anywhere, until "--")
// and operands. An option "--name=value" or "--name value" is looked up by
// name; `valued` lists the options that take a value.
struct ParsedArgs {
    std::vector<std::pair<std::string, std::string>> options;
    std::vector<std::string> operands;
    std::string error; // non-empty on misuse

    bool has(const std::string& name) const;
    std::string value(const std::string& name, const std::string& fallback = "") const;
};
ParsedArgs ParseArgs(const CommandArgs& args, const std::vector<std::string>& valued,
                     const std::vector<std::string>& flags);

// Prints "tarntool: <message>" to standard error; returns 2 (misuse).
int UsageError(const std::string& message);

#define TARNTOOL_CONCAT_(a, b) a##b
#define TARNTOOL_CONCAT(a, b) TARNTOOL_CONCAT_(a, b)
#define TARNTOOL_COMMAND(name, usage, fn) \
    static const bool TARNTOOL_CONCAT(registered_, __LINE__) = RegisterCommand({name, usage, fn})
