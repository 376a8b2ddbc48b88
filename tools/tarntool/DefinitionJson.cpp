#include "tools/tarntool/DefinitionJson.h"
#include "tools/tarntool/JsonOutput.h"

#include "tools/tarntool/InputFile.h"

#include "definition/IniParser.h"

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

SymbolTable* LoadQuietly(const std::string& path, wxArrayString& warnings, std::string& error)
{
    // The bytes are read here rather than by name so that any file name works;
    // the parser sees them exactly as it sees a file it opens itself.
    std::string bytes;
    if (!ReadWholeFile(path, bytes, error))
        return nullptr;
    // The parser traces every line to the debug log; on a terminal that would
    // bury the output.
    wxLogNull quiet;
    IniParser parser;
    parser.openBytes(std::move(bytes));
    while (parser.readNext()) {
    }
    warnings = parser.getWarnings();
    return parser.releaseTable();
}
