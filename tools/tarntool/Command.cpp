#include "tools/tarntool/Command.h"

#include <algorithm>
#include <cstdio>

static std::vector<CommandInfo>& Registry()
{
    static std::vector<CommandInfo> commands;
    return commands;
}

bool RegisterCommand(const CommandInfo& info)
{
    Registry().push_back(info);
    std::sort(Registry().begin(), Registry().end(), [](const CommandInfo& a, const CommandInfo& b) {
        return std::string(a.name) < b.name;
    });
    return true;
}

const std::vector<CommandInfo>& RegisteredCommands()
{
    return Registry();
}

bool ParsedArgs::has(const std::string& name) const
{
    for (const auto& option : options)
        if (option.first == name)
            return true;
    return false;
}

std::string ParsedArgs::value(const std::string& name, const std::string& fallback) const
{
    std::string found = fallback;
    for (const auto& option : options)
        if (option.first == name)
            found = option.second;
    return found;
}

ParsedArgs ParseArgs(const CommandArgs& args, const std::vector<std::string>& valued,
                     const std::vector<std::string>& flags)
{
    auto contains = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (!optionsEnded && arg == "--") {
                optionsEnded = true;
                continue;
            }
            parsed.operands.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2), value;
        const size_t eq = name.find('=');
        const bool inlineValue = eq != std::string::npos;
        if (inlineValue) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (contains(valued, name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    parsed.error = "option --" + name + " needs a value";
                    return parsed;
                }
                value = args[++i];
            }
        } else if (!contains(flags, name) || inlineValue) {
            parsed.error = "unknown option --" + name;
            return parsed;
        }
        parsed.options.emplace_back(name, value);
    }
    return parsed;
}

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "tarntool: %s\n", message.c_str());
    return 2;
}
