// tarntool pages FILE [--out TUNE.msq] [--baud N] [--quiet-ms N]: reads every
// page of constants the definition file describes from the ECU on the
// dashboard's serial port, over the link the file describes, and decodes the
// constants. With --out they are written as a tune file that --tune reads
// back; without, printed as one JSON object (name -> number or array).
// Standard error says per page what failed, and how long the connection
// (one runtime data fetch) and the reading took.
// Exit 0 when every page was read, 1 otherwise, 2 on misuse.
#include "tools/tarntool/Command.h"
#include "tools/tarntool/DefinitionJson.h"
#include "tools/tarntool/LinkArgs.h"

#include "definition/TuneFile.h"
#include "ecu/PageDecoder.h"
#include "link/GenericLink.h"
#include "link/TarnProtocol.h"

#include <wx/log.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <locale>
#include <map>
#include <sstream>

namespace {

// The shortest text that reads back as the same double.
std::string NumberText(double value)
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    for (int digits = 6; digits <= 17; ++digits) {
        text.str(std::string());
        text.precision(digits);
        text << value;
        std::istringstream back(text.str());
        back.imbue(std::locale::classic());
        double read = 0;
        if (back >> read && read == value)
            break;
    }
    return text.str();
}

// Rows of the array, one line each, as tune files lay them out.
std::string ArrayText(const std::vector<double>& values, int columns)
{
    std::string text = "\n";
    for (size_t i = 0; i < values.size(); ++i) {
        text += (i % size_t(columns) == 0 ? "  " : " ") + NumberText(values[i]);
        if ((i + 1) % size_t(columns) == 0 || i + 1 == values.size())
            text += "\n";
    }
    return text;
}

int RunPages(const CommandArgs& args)
{
    std::vector<std::string> valued = kDefinitionOptionNames;
    valued.push_back("out");
    valued.insert(valued.end(), kLinkOptions.begin(), kLinkOptions.end());
    const ParsedArgs parsed = ParseArgs(args, valued, {});
    if (!parsed.error.empty())
        return UsageError(parsed.error);
    if (parsed.operands.size() != 1)
        return UsageError("pages needs FILE");
    GenericLinkOptions options;
    std::string linkError;
    if (!LinkOptionsOf(parsed, options, linkError))
        return UsageError(linkError);
    wxArrayString warnings;
    std::string error;
    std::unique_ptr<SymbolTable> table(
        LoadQuietly(parsed.operands[0], warnings, DefinitionOptionsOf(parsed), error));
    if (!table)
        return UsageError(error);
    const LinkSettings& settings = table->getLinkSettings();
    if (settings.isBuiltInFirmware())
        return UsageError(parsed.operands[0] + " is the built-in firmware's: it has no pages");
    // The serial layer's traces are not this command's output.
    wxLogNull quiet;
    SerialPortHandler* port = TarnProtocol::getInstance()->getPort();
    if (!port)
        return UsageError("there is no serial port");
    GenericLink link(*port, settings, table->getBlockSize(), options);
    if (link.pageCount() == 0) {
        std::fprintf(stderr, "tarntool: %s: %s\n", parsed.operands[0].c_str(),
                     link.pageProblem().c_str());
        return 1;
    }
    // Connected first, as the dashboard is when it reads them: the time of
    // the pages is the pages' own, not the file's delay after opening the port.
    using Clock = std::chrono::steady_clock;
    const auto opened = Clock::now();
    std::vector<unsigned char> block;
    if (link.fetch(block) != 0) {
        std::fprintf(stderr, "tarntool: no connection: %s\n", link.lastProblem().c_str());
        return 1;
    }
    const auto start = Clock::now();
    std::vector<std::vector<unsigned char>> pages(size_t(link.pageCount()));
    int read = 0;
    size_t bytes = 0;
    for (int i = 0; i < link.pageCount(); ++i) {
        std::string why;
        if (link.readPage(i, pages[size_t(i)], why) == 0) {
            ++read;
            bytes += pages[size_t(i)].size();
        } else {
            std::fprintf(stderr, "tarntool: page %d not read: %s\n", i + 1, why.c_str());
        }
    }
    const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    std::fprintf(stderr, "tarntool: connected in %.0f ms; read %d of %d pages (%zu bytes) in %.0f ms\n",
                 ms(start - opened), read, link.pageCount(), bytes, ms(Clock::now() - start));

    const PageValues values = applyPages(*table, pages);
    for (const wxString& name : values.pastPage)
        std::fprintf(stderr, "tarntool: %s lies past its page: no value\n", ToUtf8(name).c_str());
    for (const wxString& name : values.unscaled)
        std::fprintf(stderr, "tarntool: %s: its scale gives no value\n", ToUtf8(name).c_str());
    std::map<int, std::map<wxString, wxString>> byPage;
    OrderedJson document = OrderedJson::object();
    std::map<wxString, double> numbers;
    for (const auto& number : values.numbers)
        numbers[number.first] = number.second;
    for (const auto& number : numbers) {
        const Symbol* symbol = table->findSymbol(number.first);
        byPage[symbol->PageNo][number.first] = wxString::FromUTF8(NumberText(number.second));
        document[ToUtf8(number.first)] = number.second;
    }
    for (const auto& array : values.arrays) {
        const Symbol* symbol = table->findSymbol(array.first);
        const int columns = std::max(symbol->shape[0], 1);
        byPage[symbol->PageNo][array.first] = wxString::FromUTF8(ArrayText(array.second, columns));
        document[ToUtf8(array.first)] = array.second;
    }
    const std::string out = parsed.value("out");
    if (out.empty()) {
        const std::string text = DumpLine(document) + "\n";
        std::fwrite(text.data(), 1, text.size(), stdout);
    } else {
        wxString writeError;
        if (!writeTuneFile(wxString::FromUTF8(out), settings.signature, byPage, writeError)) {
            std::fprintf(stderr, "tarntool: %s\n", ToUtf8(writeError).c_str());
            return 1;
        }
    }
    return read == link.pageCount() ? 0 : 1;
}

} // namespace

TARNTOOL_COMMAND("pages",
                 "FILE [--out TUNE.msq] [--baud N] [--quiet-ms N] [--set NAME]... [--tune FILE.msq]",
                 RunPages);
