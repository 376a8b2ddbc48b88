#include "definition/IniParser.h"

#include "base/DebugLog.h"

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

IniParser::IniParser() : table(new SymbolTable)
{
    // Fixed: the dashboard has no configuration of its own.
    settingFlags["12X12"] = false;
    settingFlags["HIGHBOOST"] = false;
    settingFlags["CELSIUS"] = true;
    settingFlags["NARROW_BAND_EGO"] = false;
    settingFlags["VER2"] = false;
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

    LineTokenizer tokens;
    tokens.tokenize(currentLine);
    setTracePrefix(static_cast<int64_t>(lineIndex) + 1);

    // Only token 1 tells a directive: token 0 is normally "#" but is not examined.
    const wxString& word = tokens.text(1);
    try {
        if (word == wxS("if")) {
            openBlock(tokens);
        } else if (word == wxS("else")) {
            elseBlock();
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

void IniParser::openBlock(const LineTokenizer& tokens)
{
    const wxString& name = tokens.text(2);
    bool condition = false;
    const auto flag = settingFlags.find(name);
    if (flag != settingFlags.end())
        condition = flag->second;
    else
        warnings.Add(wxString::Format("%s no matching condition!  - line: %d", name, lineIndex));
    lastCondition = condition;
    innermost = new IfBlock(condition, innermost);
    if (!innermost->letsThrough())
        ++blockingBlocks;
    trace += wxS("if - ");
    trace += name;
}

void IniParser::elseBlock()
{
    if (!innermost)
        throw ParserException("IF statement missing!", lineIndex);
    const bool before = innermost->letsThrough();
    innermost->inElse = true; // a second #else changes nothing
    const bool after = innermost->letsThrough();
    if (before && !after)
        ++blockingBlocks;
    else if (!before && after)
        --blockingBlocks;
    trace += wxS("else");
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
    else
        sectionHandler = Handler::None;
    trace += wxS("section : ");
    trace += name;
}

SymbolTable* loadDefinitionFileFrom(const wxString& path, wxArrayString* warnings, int* result)
{
    IniParser parser;
    const int status = parser.readAll(path);
    if (warnings)
        *warnings = parser.getWarnings();
    if (result)
        *result = status;
    return parser.releaseTable();
}

void loadDefinitionFile()
{
    // Nothing may point into the old table while the new one is read.
    installSymbolTable(nullptr);
    installSymbolTable(loadDefinitionFileFrom("tarnv3.ini"));
}
