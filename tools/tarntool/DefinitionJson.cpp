#include "tools/tarntool/DefinitionJson.h"

#include "definition/DefinitionFileKind.h"
#include "tools/tarntool/JsonOutput.h"

#include "tools/tarntool/InputFile.h"

#include "definition/IniParser.h"
#include "definition/TuneFile.h"

#include <wx/filename.h>
#include <wx/log.h>

std::string ToUtf8(const wxString& text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    return std::string(utf8.data(), utf8.length());
}

static OrderedJson Strings(const wxArrayString& list)
{
    OrderedJson array = OrderedJson::array();
    for (const wxString& item : list)
        array.push_back(ToUtf8(item));
    return array;
}

OrderedJson SymbolToJson(const Symbol& s)
{
    OrderedJson j;
    j["Name"] = ToUtf8(s.Name);
    j["Units"] = ToUtf8(s.Units);
    j["Const"] = s.Const;
    j["PageNo"] = s.PageNo;
    j["Offset"] = s.Offset;
    j["SizeOf"] = s.SizeOf;
    j["Signed"] = s.Signed;
    j["Scale"] = s.Scale;
    j["Trans"] = s.Trans;
    j["Digits"] = s.Digits;
    j["Lo"] = s.Lo;
    j["Hi"] = s.Hi;
    j["xOrder"] = s.xOrder;
    j["order"] = s.order;
    j["shape"] = {s.shape[0], s.shape[1]};
    j["BitLo"] = s.BitLo;
    j["BitHi"] = s.BitHi;
    j["BitOfs"] = s.BitOfs;
    j["BitFields"] = Strings(s.BitFields);
    j["expr"] = ToUtf8(s.expr);
    j["describe"] = ToUtf8(s.describe());
    if (s.Float)
        j["Float"] = true; // F32: only present when set
    return j;
}

OrderedJson GaugeToJson(const TARNGaugeDesc& g)
{
    OrderedJson j;
    j["name"] = ToUtf8(g.getName());
    j["symbolName"] = ToUtf8(g.getSymbolName());
    j["title"] = ToUtf8(g.getTitle());
    j["units"] = ToUtf8(g.getUnits());
    j["labelFormat"] = ToUtf8(g.getLabelFormat());
    j["minValue"] = g.getMinValue();
    j["maxValue"] = g.getMaxValue();
    j["scaleFactor"] = g.getScaleFactor();
    j["majorDivisions"] = g.getMajorDivisions();
    j["minorDivisions"] = g.getMinorDivisions();
    j["startAngle"] = g.getStartAngle();
    j["sweepAngle"] = g.getSweepAngle();
    j["field10"] = g.getField10();
    j["field11"] = g.getField11();
    OrderedJson ranges = OrderedJson::array();
    for (const GaugeRange& range : g.getRanges())
        ranges.push_back({range.lo, range.hi, range.colour->name});
    j["ranges"] = ranges;
    j["describe"] = ToUtf8(g.describe());
    // Only present when the file gives fields as {expressions}; the values
    // above are then the computed ones.
    static const char* const fieldNames[TARNGaugeDesc::FieldCount] = {
        "title", "units", "minValue", "maxValue", "lowDanger", "lowWarning", "highWarning",
        "highDanger"};
    if (g.hasExpressions()) {
        OrderedJson expressions = OrderedJson::object();
        for (int i = 0; i < TARNGaugeDesc::FieldCount; ++i) {
            const wxString& text = g.getExpression(static_cast<TARNGaugeDesc::Field>(i));
            if (!text.empty())
                expressions[fieldNames[i]] = ToUtf8(text);
        }
        j["expressions"] = expressions;
    }
    return j;
}

OrderedJson LinkToJson(const SymbolTable& table)
{
    const LinkSettings& link = table.getLinkSettings();
    OrderedJson j;
    // Bytes as the code points U+0000 to U+00FF.
    std::string signature;
    for (unsigned char byte : link.signature)
        signature += ToUtf8(wxString(wxUniChar(byte)));
    j["signature"] = link.hasSignature ? OrderedJson(signature) : OrderedJson(nullptr);
    j["builtIn"] = link.isBuiltInFirmware();
    j["queryCommand"] = ToUtf8(link.queryCommand);
    j["versionInfo"] = ToUtf8(link.versionInfo);
    j["ochGetCommand"] = ToUtf8(link.ochGetCommand);
    j["ochBlockSize"] = link.ochBlockSize;
    j["blockSize"] = table.getBlockSize();
    j["blockingFactor"] = link.blockingFactor;
    j["endianness"] = link.endianness == ByteOrder::Big ? "big" : "little";
    j["messageEnvelopeFormat"] = ToUtf8(link.messageEnvelopeFormat);
    j["blockReadTimeout"] = link.blockReadTimeout;
    j["delayAfterPortOpen"] = link.delayAfterPortOpen;
    j["interWriteDelay"] = link.interWriteDelay;
    return j;
}

OrderedJson TableToJson(const SymbolTable& table, const wxArrayString& warnings)
{
    OrderedJson symbols = OrderedJson::array();
    for (const auto& symbol : table.getAllSymbols())
        symbols.push_back(SymbolToJson(*symbol));
    OrderedJson gauges = OrderedJson::array();
    for (const TARNGaugeDesc* gauge : table.getGauges())
        gauges.push_back(GaugeToJson(*gauge));
    OrderedJson datalog = OrderedJson::array();
    for (const DatalogEntry& e : table.getDatalogEntries())
        datalog.push_back({ToUtf8(e.a), ToUtf8(e.b), ToUtf8(e.c), ToUtf8(e.d)});
    OrderedJson document;
    document["symbols"] = symbols;
    document["gauges"] = gauges;
    document["datalog"] = datalog;
    document["warnings"] = Strings(warnings);
    document["link"] = LinkToJson(table);
    return document;
}

OrderedJson TokensToJson(const LineTokenizer& tokens)
{
    OrderedJson line = OrderedJson::array();
    for (int i = 0; i < tokens.count(); ++i) {
        OrderedJson token;
        token["type"] = static_cast<int>(tokens.type(i));
        token["text"] = ToUtf8(tokens.text(i));
        token["value"] = tokens.number(i);
        line.push_back(token);
    }
    return line;
}

std::string DumpLine(const OrderedJson& document)
{
    return DumpJsonLine(document);
}

const std::vector<std::string> kDefinitionOptionNames = {"set", "tune"};

DefinitionOptions DefinitionOptionsOf(const ParsedArgs& parsed)
{
    DefinitionOptions options;
    for (const auto& option : parsed.options) {
        if (option.first == "set")
            options.setFlags.Add(wxString::FromUTF8(option.second));
        else if (option.first == "tune")
            options.tuneFile = wxString::FromUTF8(option.second);
    }
    return options;
}

SymbolTable* LoadQuietly(const std::string& path, wxArrayString& warnings,
                         const DefinitionOptions& options, std::string& error, bool refuseNonDefinition)
{
    // The bytes are read here rather than by name so that any file name works;
    // the parser sees them exactly as it sees a file it opens itself.
    std::string bytes;
    std::string reason;
    if (!ReadWholeFile(path, bytes, reason)) {
        error = "cannot read " + path + ": " + reason;
        return nullptr;
    }
    const std::string notDefinition = refuseNonDefinition ? NotADefinitionFile(bytes) : std::string();
    if (!notDefinition.empty()) {
        error = path + " is not a definition file: " + notDefinition;
        return nullptr;
    }
    if (!options.tuneFile.empty()) {
        // Read once to refuse a bad one; the load keeps only the values it needs.
        wxString tuneError;
        if (!readTuneFile(options.tuneFile, [](const wxString&, std::string&) {}, tuneError)) {
            error = "tune file not read: " + ToUtf8(tuneError);
            return nullptr;
        }
    }
    // The parser traces every line to the debug log; on a terminal that would
    // bury the output.
    wxLogNull quiet;
    IniParser parser(options.setFlags);
    parser.openBytes(std::move(bytes));
    while (parser.readNext()) {
    }
    warnings = parser.getWarnings();
    SymbolTable* table = parser.releaseTable();
    completeDefinition(*table, options, wxFileName(wxString::FromUTF8(path)).GetPath(), warnings);
    return table;
}
