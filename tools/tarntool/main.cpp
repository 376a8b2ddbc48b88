// tarntool: inspect definition files, evaluate expressions, decode runtime
// data, replay datalogs and read a live ECU, from the command line.
#include "tools/tarntool/Command.h"

#include "base/AssertHandler.h"

#include <wx/init.h>

#include <cstdio>
#include <cstring>

static void PrintUsage(FILE* out)
{
    std::fprintf(out, "usage: tarntool COMMAND [ARGS]\n\ncommands:\n");
    for (const CommandInfo& command : RegisteredCommands())
        std::fprintf(out, "  tarntool %s %s\n", command.name, command.usage);
}

int main(int argc, char** argv)
{
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        PrintUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    wxInitializer initializer;
    if (!initializer.IsOk()) {
        std::fprintf(stderr, "tarntool: cannot initialise wxWidgets\n");
        return 2;
    }
    InstallLoggingAssertHandler();
    for (const CommandInfo& command : RegisteredCommands()) {
        if (std::strcmp(command.name, argv[1]) != 0)
            continue;
        CommandArgs args(argv + 2, argv + argc);
        for (const std::string& arg : args) {
            if (arg == "--help") {
                std::printf("usage: tarntool %s %s\n", command.name, command.usage);
                return 0;
            }
        }
        return command.run(args);
    }
    std::fprintf(stderr, "tarntool: unknown command '%s'\n", argv[1]);
    PrintUsage(stderr);
    return 2;
}
