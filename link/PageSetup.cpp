#include "link/PageSetup.h"

#include <algorithm>

namespace {

const wxString* entry(const std::vector<wxString>& list, size_t index)
{
    return index < list.size() && !list[index].empty() ? &list[index] : nullptr;
}

PageSetup readablePages(const LinkSettings& settings, uint8_t canId)
{
    PageSetup setup;
    const size_t count = static_cast<size_t>(std::max(settings.nPages, 0));
    if (count == 0) {
        setup.problem = "the definition file has no pages of constants (nPages)";
        return setup;
    }
    if (settings.pageSizes.size() < count) {
        setup.problem = "pageSize gives " + std::to_string(settings.pageSizes.size()) +
                        " sizes for " + std::to_string(count) + " pages";
        return setup;
    }
    for (size_t i = 0; i < count; ++i) {
        const std::string page = "page " + std::to_string(i + 1) + ": ";
        PageCommands commands;
        commands.size = settings.pageSizes[i];
        wxString error;
        std::string identifier;
        const std::string* id = nullptr;
        if (const wxString* text = entry(settings.pageIdentifiers, i)) {
            if (!parseCommandString(*text, CommandParameters{0, 0, canId, settings.endianness},
                                    identifier, error)) {
                setup.problem = page + "pageIdentifier " + text->utf8_string() + ": " +
                                error.utf8_string();
                return setup;
            }
            id = &identifier;
        }
        const wxString* read = entry(settings.pageReadCommands, i);
        if (!read) {
            setup.problem = page + "the definition file gives no pageReadCommand";
            return setup;
        }
        if (!parseCommandTemplate(*read, canId, commands.read, error, id)) {
            setup.problem = page + "pageReadCommand " + read->utf8_string() + ": " +
                            error.utf8_string();
            return setup;
        }
        commands.part = commands.size;
        if (commands.read.asksForPart() && settings.blockingFactor > 0)
            commands.part = std::min(commands.size, settings.blockingFactor);
        std::string bytes;
        const int32_t lastOffset = (commands.size - 1) / commands.part * commands.part;
        if (!fillCommand(commands.read, static_cast<uint32_t>(lastOffset),
                         static_cast<uint32_t>(commands.part), settings.endianness, bytes, error)) {
            setup.problem = page + "pageReadCommand " + read->utf8_string() + ": " +
                            error.utf8_string();
            return setup;
        }
        if (const wxString* activate = entry(settings.pageActivates, i)) {
            CommandTemplate command;
            if (!parseCommandTemplate(*activate, canId, command, error, id) ||
                !fillCommand(command, 0, static_cast<uint32_t>(commands.size), settings.endianness,
                             commands.activate, error)) {
                setup.problem = page + "pageActivate " + activate->utf8_string() + ": " +
                                error.utf8_string();
                return setup;
            }
        }
        setup.pages.push_back(std::move(commands));
    }
    return setup;
}

} // namespace

PageSetup setUpPages(const LinkSettings& settings, uint8_t canId)
{
    PageSetup setup = readablePages(settings, canId);
    // One page that cannot be read makes the file's settings unusable.
    if (!setup.problem.empty())
        setup.pages.clear();
    return setup;
}
