#include "definition/IniParser.h"

#include "base/DebugLog.h"
#include "definition/TuneFile.h"

#include <wx/filename.h>

#include <algorithm>
#include <charconv>
#include <cstring>

const wxChar* const kSectionMegaTune = wxS("MegaTune");
const wxChar* const kSectionConstants = wxS("Constants");
const wxChar* const kSectionMenu = wxS("Menu");
const wxChar* const kSectionTableEditor = wxS("TableEditor");
const wxChar* const kSectionGaugeConfigurations = wxS("GaugeConfigurations");
const wxChar* const kSectionFrontPage = wxS("FrontPage");
const wxChar* const kSectionRunTime = wxS("RunTime");
const wxChar* const kSectionTuning = wxS("Tuning");
const wxChar* const kSectionUserDefined = wxS("UserDefined");
const wxChar* const kSectionOutputChannels = wxS("OutputChannels");
const wxChar* const kSectionDatalog = wxS("Datalog");
const wxChar* const kSectionTunerStudio = wxS("TunerStudio");
const wxChar* const kSectionPcVariables = wxS("PcVariables");
const wxChar* const kSectionConstantsExtensions = wxS("ConstantsExtensions");

IniParser::IniParser() : IniParser(wxArrayString()) {}

IniParser::IniParser(const wxArrayString& setFlags, const wxArrayString& clearFlags)
    : userFlags(setFlags), table(new SymbolTable)
{
    // Fixed: the dashboard has no configuration of its own.
    settingFlags["12X12"] = false;
    settingFlags["HIGHBOOST"] = false;
    settingFlags["CELSIUS"] = true;
    settingFlags["NARROW_BAND_EGO"] = false;
    settingFlags["VER2"] = false;
    for (const wxString& flag : clearFlags) {
        settingFlags[flag] = false;
        userFlags.Add(flag);
    }
    for (const wxString& flag : setFlags)
        settingFlags[flag] = true;
    table->setCelsius(settingFlags["CELSIUS"]);
}

IniParser::~IniParser()
{
    // Iteratively: a file can nest blocks deeper than any stack would recurse.
    while (innermost) {
        IfBlock* outer = innermost->enclosing;
        delete innermost;
        innermost = outer;
    }
}

void IniParser::processLine()
{
    if (getCutLineBytes() != 0)
        warnings.Add(ParserException(wxString::Format("Line cut at %zu bytes!", kMaxLineBytes),
                                     lineIndex)
                         .text());
    const wxStringCharType* chars = currentLine.wx_str();
    const size_t length = currentLine.length();
    size_t first = 0;
    while (first < length && LineTokenizer::isSpace(chars[first]))
        ++first;
    if (first >= length || chars[first] == ';')
        return;

    LineTokenizer tokens(readsOtherFirmware() ? NumberSyntax::WithExponent : NumberSyntax::Plain);
    tokens.tokenize(currentLine);
    setTracePrefix(static_cast<int64_t>(lineIndex) + 1);

    // Only token 1 tells a directive: token 0 is normally "#" but is not examined.
    const wxString& word = tokens.text(1);
    try {
        if (word == wxS("if")) {
            openBlock(tokens);
        } else if ((word == wxS("ifdef") || word == wxS("ifndef")) && tokens.type(0) == TokenHash) {
            openDefinedBlock(tokens, word == wxS("ifdef"));
        } else if (word == wxS("else")) {
            elseBlock();
        } else if (word == wxS("elif") && tokens.type(0) == TokenHash) {
            elifBlock(tokens);
        } else if (word == wxS("define") && tokens.type(0) == TokenHash && readsOtherFirmware()) {
            if (isActive())
                defineLabels(tokens);
        } else if ((word == wxS("set") || word == wxS("unset")) && tokens.type(0) == TokenHash) {
            if (isActive())
                setFlag(tokens, word == wxS("set"));
        } else if (word == wxS("endif")) {
            closeBlock();
        } else if (tokens.type(0) == TokenBracket) {
            // Headers count inside inactive blocks too.
            setSection(tokens.text(0));
        } else if (isActive()) {
            switch (sectionHandler) {
            case Handler::Constants:
                handleConstants(tokens);
                break;
            case Handler::OutputChannels:
                handleOutputChannels(tokens);
                break;
            case Handler::GaugeConfigurations:
                handleGaugeConfigurations(tokens);
                break;
            case Handler::Datalog:
                handleDatalog(tokens);
                break;
            case Handler::Settings:
                handleLinkSetting(tokens);
                break;
            case Handler::PcVariables:
                handlePcVariables(tokens);
                break;
            case Handler::ConstantsExtensions:
                handleConstantsExtensions(tokens);
                break;
            case Handler::FrontPage:
                handleFrontPage(tokens);
                break;
            case Handler::None:
                break;
            }
        }
    } catch (const ParserException& e) {
        warnings.Add(e.text());
    }
    DebugLog(0, trace);
}

void IniParser::setTracePrefix(int64_t lineNumber)
{
    wxChar digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<wxChar>('0' + lineNumber % 10);
        lineNumber /= 10;
    } while (lineNumber > 0 && n < 20);
    trace = wxS("Line : ");
    for (int pad = n; pad < 4; ++pad)
        trace += ' ';
    while (n > 0)
        trace += digits[--n];
    trace += wxS(" -> ");
}

bool IniParser::flagValue(const wxString& name)
{
    const auto flag = settingFlags.find(name);
    if (flag != settingFlags.end())
        return flag->second;
    warnings.Add(wxString::Format("%s no matching condition!  - line: %d", name, lineIndex));
    return false;
}

void IniParser::openBlock(const LineTokenizer& tokens)
{
    const wxString& name = tokens.text(2);
    openCondition(flagValue(name));
    trace += wxS("if - ");
    trace += name;
}

void IniParser::openDefinedBlock(const LineTokenizer& tokens, bool whenSet)
{
    // A name nobody set is simply not set here: no warning, unlike #if.
    const wxString& name = tokens.text(2);
    const auto flag = settingFlags.find(name);
    const bool set = flag != settingFlags.end() && flag->second;
    openCondition(set == whenSet);
    trace += whenSet ? wxS("ifdef - ") : wxS("ifndef - ");
    trace += name;
}

void IniParser::openCondition(bool condition)
{
    lastCondition = condition;
    innermost = new IfBlock(condition, innermost);
    if (!innermost->letsThrough())
        ++blockingBlocks;
}

void IniParser::elseBlock()
{
    if (!innermost)
        throw ParserException("IF statement missing!", lineIndex);
    const bool before = innermost->letsThrough();
    innermost->inElse = true; // a second #else changes nothing
    innermost->condition = innermost->taken; // after an #elif: read only when none was
    const bool after = innermost->letsThrough();
    if (before && !after)
        ++blockingBlocks;
    else if (!before && after)
        --blockingBlocks;
    trace += wxS("else");
}

void IniParser::elifBlock(const LineTokenizer& tokens)
{
    if (!innermost)
        throw ParserException("IF statement missing!", lineIndex);
    const wxString& name = tokens.text(2);
    const bool before = innermost->letsThrough();
    // Seen as an #else whose branch is read only when no branch was and the
    // setting holds.
    const bool read = !innermost->taken && flagValue(name);
    innermost->taken = innermost->taken || read;
    innermost->inElse = true;
    innermost->condition = !read;
    const bool after = innermost->letsThrough();
    if (before && !after)
        ++blockingBlocks;
    else if (!before && after)
        --blockingBlocks;
    trace += wxS("elif - ");
    trace += name;
}

void IniParser::setFlag(const LineTokenizer& tokens, bool value)
{
    const wxString& name = tokens.text(2);
    if (userFlags.Index(name) == wxNOT_FOUND)
        settingFlags[name] = value;
    if (name == wxS("CELSIUS"))
        table->setCelsius(settingFlags[name]);
    trace += value ? wxS("set - ") : wxS("unset - ");
    trace += name;
}

void IniParser::closeBlock()
{
    if (!innermost)
        throw ParserException("IF statement missing!", lineIndex);
    IfBlock* closed = innermost;
    if (!closed->letsThrough())
        --blockingBlocks;
    innermost = closed->enclosing;
    delete closed;
}

void IniParser::setSection(const wxString& name)
{
    currentSection = name;
    if (name == kSectionConstants)
        sectionHandler = Handler::Constants;
    else if (name == kSectionOutputChannels)
        sectionHandler = Handler::OutputChannels;
    else if (name == kSectionGaugeConfigurations)
        sectionHandler = Handler::GaugeConfigurations;
    else if (name == kSectionDatalog)
        sectionHandler = Handler::Datalog;
    else if (name == kSectionMegaTune || name == kSectionTunerStudio)
        sectionHandler = Handler::Settings;
    else if (name == kSectionPcVariables)
        sectionHandler = Handler::PcVariables;
    else if (name == kSectionConstantsExtensions)
        sectionHandler = Handler::ConstantsExtensions;
    else if (name == kSectionFrontPage)
        sectionHandler = Handler::FrontPage;
    else
        sectionHandler = Handler::None;
    trace += wxS("section : ");
    trace += name;
}

SymbolTable* loadDefinitionFileFrom(const wxString& path, wxArrayString* warnings, int* result)
{
    return loadDefinitionFileFrom(path, DefinitionOptions(), warnings, result);
}

// The numbers of an array's text, separated by blanks; false when one is no
// number or there are none.
static bool ReadNumbers(const std::string& text, std::vector<double>& numbers)
{
    static const char* const blanks = " \t\r\n";
    size_t count = 0;
    for (size_t at = text.find_first_not_of(blanks); at != std::string::npos;
         at = text.find_first_not_of(blanks, text.find_first_of(blanks, at)))
        ++count;
    numbers.reserve(count);
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end) {
        while (p != end && std::strchr(blanks, *p) && *p != '\0')
            ++p;
        if (p == end)
            break;
        if (*p == '+')
            ++p;
        double number = 0.0;
        const std::from_chars_result read = std::from_chars(p, end, number);
        if (read.ec != std::errc() || (read.ptr != end && (*read.ptr == '\0' || !std::strchr(blanks, *read.ptr))))
            return false;
        numbers.push_back(number);
        p = read.ptr;
    }
    return !numbers.empty();
}

void completeDefinition(SymbolTable& table, const DefinitionOptions& options,
                        const wxString& directory, wxArrayString& warnings)
{
    ConstantValues& constants = table.getConstantValues();
    if (!options.tuneFile.empty()) {
        // Only what the file declares is kept (a tune may hold far more), and
        // an array's numbers never become text of four bytes a character.
        std::map<wxString, wxString> texts;
        std::map<wxString, std::vector<double>> arrays;
        wxString error;
        const bool read = readTuneFile(
            options.tuneFile,
            [&](const wxString& name, std::string& text) {
                const Symbol* symbol = table.findSymbol(name);
                if (!symbol)
                    return;
                std::vector<double> numbers;
                if (!symbol->isArray())
                    texts[name] = wxString::FromUTF8(text);
                else if (ReadNumbers(text, numbers))
                    arrays[name] = std::move(numbers);
            },
            error);
        if (read) {
            for (const auto& value : texts)
                constants.setText(value.first, value.second);
            for (auto& value : arrays)
                constants.setArray(value.first, std::move(value.second));
        } else {
            warnings.Add("Tune file not read: " + error);
        }
    }
    table.loadIncTables(directory);
    table.resolveConstants();
    for (const wxString& problem : table.getScaleProblems())
        warnings.Add(problem);
    table.finishGauges();
    const std::vector<wxString>& front = table.getFrontPage().gauges;
    const GaugeDescList& gauges = table.getGauges();
    for (size_t i = 0; i < front.size(); ++i) {
        const auto named = [&](const TARNGaugeDesc* g) { return g->getName() == front[i]; };
        if (!front[i].empty() && std::none_of(gauges.begin(), gauges.end(), named))
            warnings.Add(
                wxString::Format("Front page gauge%d names no gauge: %s", int(i + 1), front[i]));
    }
}

SymbolTable* loadDefinitionFileFrom(const wxString& path, const DefinitionOptions& options,
                                    wxArrayString* warnings, int* result)
{
    IniParser parser(options.setFlags, options.clearFlags);
    const int status = parser.readAll(path);
    wxArrayString found = parser.getWarnings();
    SymbolTable* table = parser.releaseTable();
    if (status == 0)
        completeDefinition(*table, options, wxFileName(path).GetPath(), found);
    if (warnings)
        *warnings = found;
    if (result)
        *result = status;
    return table;
}

void loadDefinitionFile(const DefinitionOptions& options)
{
    // Nothing may point into the old table while the new one is read.
    installSymbolTable(nullptr);
    installSymbolTable(loadDefinitionFileFrom("tarnv3.ini", options));
}

void loadDefinitionFile()
{
    loadDefinitionFile(DefinitionOptions());
}
