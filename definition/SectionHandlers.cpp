// The handlers of the four sections that fill the table. Fields are read by
// token position; an absent field reads as "", 0.0 or 0 and is no error.
#include "definition/FieldReaders.h"
#include "definition/IniParser.h"

#include <algorithm>
#include <limits>
#include <memory>

void IniParser::addToTable(Symbol* symbol)
{
    if (table->findSymbol(symbol->Name))
        warnings.Add(wxString::Format("Duplicate symbol! : %s - line : %d", symbol->Name, lineIndex));
    table->setSymbolLine(symbol->Name, static_cast<int>(lineIndex) + 1);
    table->addSymbol(symbol->Name, symbol);
    if (symbol->Offset >= 0) {
        const int64_t end = int64_t(symbol->Offset) + int64_t(symbol->SizeOf) * symbol->shape[0] *
                                                          int64_t(symbol->shape[1]);
        nextOffset = static_cast<int32_t>(std::min<int64_t>(end, std::numeric_limits<int32_t>::max()));
    }
}

bool IniParser::readsOtherFirmware() const
{
    return !table->getLinkSettings().isBuiltInFirmware();
}

int32_t IniParser::readOffset(const LineTokenizer& tokens, int field)
{
    if (!readsOtherFirmware() || tokens.type(field) == TokenNumber)
        return tokens.integer(field);
    // "lastOffset": right after the entry before it.
    if (tokens.text(field) == wxS("lastOffset"))
        return nextOffset;
    warnings.Add(ParserException(wxString::Format("Offset of %s is not a number: '%s'",
                                                  tokens.text(0), tokens.text(field)),
                                 lineIndex)
                     .text());
    return -1;
}

void IniParser::readBits(const LineTokenizer& tokens, int field, Symbol& symbol)
{
    readBitField(tokens, symbol, lineIndex, field);
    if (!readsOtherFirmware() || labelLists.empty())
        return;
    symbol.BitFields.Clear();
    appendLabels(tokens, field + 1, symbol.BitFields);
}

void IniParser::appendLabels(const LineTokenizer& tokens, int first, wxArrayString& labels)
{
    for (int i = first; i < tokens.count(); ++i) {
        const auto list = tokens.type(i) == TokenIdent ? labelLists.find(tokens.text(i))
                                                       : labelLists.end();
        if (list == labelLists.end()) {
            if (labels.size() < kMaxLabels)
                labels.Add(tokens.text(i));
            continue;
        }
        const size_t room = kMaxLabels - std::min(kMaxLabels, labels.size());
        for (size_t j = 0; j < list->second.size() && j < room; ++j)
            labels.Add(list->second[j]);
    }
}

void IniParser::defineLabels(const LineTokenizer& directive)
{
    // "#define name = "a", "b", $other": the words of the directive line
    // lose the quotes, so the text after "=" is read again as entry fields.
    const size_t equals = currentLine.find('=');
    if (equals == wxString::npos || directive.text(2).empty())
        return;
    LineTokenizer items(NumberSyntax::WithExponent);
    items.tokenize(currentLine.substr(equals + 1));
    wxArrayString labels;
    appendLabels(items, 0, labels);
    labelLists[directive.text(2)] = labels;
    trace += wxS("define - ");
    trace += directive.text(2);
}

void IniParser::readScaling(const LineTokenizer& tokens, int unitsField, int first, Symbol& symbol)
{
    if (!readsOtherFirmware()) {
        symbol.setScaling(tokens.number(first), tokens.number(first + 1), tokens.number(first + 2),
                          tokens.number(first + 3), tokens.integer(first + 4));
        return;
    }
    readUnitsField(tokens, unitsField, symbol);
    readScalingFields(tokens, first, symbol, lineIndex, warnings);
}

bool IniParser::handleLinkSetting(const LineTokenizer& tokens)
{
    wxString problem;
    if (!readLinkSetting(tokens, table->getLinkSettings(), problem))
        return false;
    if (!problem.empty())
        warnings.Add(ParserException(problem, lineIndex).text());
    return true;
}

void IniParser::handleConstants(const LineTokenizer& tokens)
{
    if (handleLinkSetting(tokens))
        return;
    if (tokens.text(0) == wxS("page")) {
        currentPage = tokens.integer(1);
        nextOffset = 0;
        return;
    }
    const wxString& kind = tokens.text(1);
    const bool scalar = kind == wxS("scalar");
    const bool array = kind == wxS("array");
    const bool bits = kind == wxS("bits");
    if (!scalar && !array && !bits)
        return;

    std::unique_ptr<Symbol> symbol(new Symbol);
    try {
        const int unitsField = scalar ? 4 : array ? 5 : -1;
        symbol->setIdentity(tokens.text(0), tokens.text(unitsField), true, currentPage,
                            readOffset(tokens, 3));
        readTypeField(tokens.text(2), *symbol, lineIndex);
        if (bits) {
            readBits(tokens, 4, *symbol);
        } else {
            const int f = scalar ? 5 : 6; // first scaling field
            if (array)
                readArrayShape(tokens.text(4), *symbol, lineIndex);
            readScaling(tokens, unitsField, f, *symbol);
        }
    } catch (const ParserException& e) {
        warnings.Add(e.text());
        return;
    }
    Symbol* added = symbol.release();
    addToTable(added);
    trace += wxS("add ");
    trace += kind;
    trace += wxS(" : ");
    trace += added->describe();
}

void IniParser::handleOutputChannels(const LineTokenizer& tokens)
{
    if (handleLinkSetting(tokens))
        return;
    const bool expression = tokens.type(1) == TokenBrace;
    const bool bits = tokens.text(1) == wxS("bits");
    if (!expression && !bits && tokens.text(1) != wxS("scalar"))
        return;

    std::unique_ptr<Symbol> symbol(new Symbol);
    if (bits) {
        // name = bits, type, offset, [lo:hi]: the field's bits, shifted down.
        try {
            symbol->setIdentity(tokens.text(0), wxString(), false, currentPage,
                                readOffset(tokens, 3));
            readTypeField(tokens.text(2), *symbol, lineIndex);
            readBits(tokens, 4, *symbol);
        } catch (const ParserException& e) {
            warnings.Add(e.text());
            return;
        }
        trace += wxS("add bits : ");
        trace += symbol->describe();
    } else if (expression) {
        symbol->setExpression(tokens.text(0), tokens.text(1));
        trace += wxS("add expr : ");
        trace += symbol->describe();
    } else {
        try {
            symbol->setIdentity(tokens.text(0), tokens.text(4), false, currentPage,
                                readOffset(tokens, 3));
            readTypeField(tokens.text(2), *symbol, lineIndex);
            readScaling(tokens, 4, 5, *symbol);
        } catch (const ParserException& e) {
            warnings.Add(e.text());
            return;
        }
        trace += wxS("add ");
        trace += tokens.text(1);
        trace += wxS(" : ");
        trace += symbol->describe();
    }
    addToTable(symbol.release());
}

void IniParser::handleGaugeConfigurations(const LineTokenizer& tokens)
{
    // A gauge is "name = channel, ...": category lines ("gaugeCategory =
    // "Main"") and other settings of the section name no channel.
    if (readGaugeCategory(tokens) || tokens.type(0) != TokenIdent || tokens.type(1) != TokenIdent)
        return;
    std::unique_ptr<TARNGaugeDesc> desc(new TARNGaugeDesc);
    desc->setCategory(gaugeCategory);
    desc->setName(tokens.text(0));
    desc->setSymbolName(tokens.text(1));
    desc->setTitle(tokens.text(2));
    desc->setUnits(tokens.text(3));
    // {Expressions} are computed later, over the constants; until then a
    // title reads as the channel's name and a number as 0.
    static const TARNGaugeDesc::Field fields[] = {
        TARNGaugeDesc::FieldTitle, TARNGaugeDesc::FieldUnits, TARNGaugeDesc::FieldMin,
        TARNGaugeDesc::FieldMax, TARNGaugeDesc::FieldLowDanger, TARNGaugeDesc::FieldLowWarning,
        TARNGaugeDesc::FieldHighWarning, TARNGaugeDesc::FieldHighDanger};
    for (int i = 0; i < TARNGaugeDesc::FieldCount; ++i)
        if (tokens.type(2 + i) == TokenBrace)
            desc->setExpression(fields[i], tokens.text(2 + i));
    if (tokens.type(2) == TokenBrace)
        desc->setTitle(tokens.text(1));
    if (tokens.type(3) == TokenBrace)
        desc->setUnits(wxString());
    const double minValue = tokens.number(4);
    const double maxValue = tokens.number(5);
    const double lowDanger = tokens.number(6);
    const double lowWarning = tokens.number(7);
    const double highWarning = tokens.number(8);
    const double highDanger = tokens.number(9);
    desc->setMinValue(minValue);
    desc->setMaxValue(maxValue);
    desc->addRedRange(minValue, lowDanger);
    desc->addOrangeRange(lowDanger, lowWarning);
    desc->addOrangeRange(highWarning, highDanger);
    desc->addRedRange(highDanger, maxValue);
    desc->setField10(tokens.integer(10));
    desc->setField11(tokens.integer(11));
    if (tokens.integer(12) != 0)
        desc->setMinorDivisions(tokens.integer(12));
    if (tokens.integer(13) != 0)
        desc->setMajorDivisions(tokens.integer(13));
    if (tokens.integer(14) > 0)
        desc->setScaleFactor(tokens.integer(14));
    if (!tokens.text(15).empty())
        desc->setLabelFormat(tokens.text(15));
    table->setGaugeLine(desc->getName(), static_cast<int>(lineIndex) + 1);
    table->addGauge(std::move(desc));
    trace += wxS("Add gauge : ");
    trace += tokens.text(0);
}

void IniParser::handlePcVariables(const LineTokenizer& tokens)
{
    // Values that live in the tuning program, not the ECU: entries as in
    // [Constants] without the offset. Scalars and bit fields can have a value
    // an expression uses, arrays values for arrayValue().
    const wxString& kind = tokens.text(1);
    const bool scalar = kind == wxS("scalar");
    const bool array = kind == wxS("array");
    if (!scalar && !array && kind != wxS("bits"))
        return;
    std::unique_ptr<Symbol> symbol(new Symbol);
    try {
        symbol->setIdentity(tokens.text(0), scalar ? tokens.text(3) : array ? tokens.text(4) : wxString(),
                            true, -1, -1);
        readTypeField(tokens.text(2), *symbol, lineIndex);
        if (array)
            readArrayShape(tokens.text(3), *symbol, lineIndex);
        if (scalar || array)
            readScaling(tokens, scalar ? 3 : 4, scalar ? 4 : 5, *symbol);
        else
            readBits(tokens, 3, *symbol);
    } catch (const ParserException& e) {
        warnings.Add(e.text());
        return;
    }
    Symbol* added = symbol.release();
    addToTable(added);
    trace += wxS("add ");
    trace += kind;
    trace += wxS(" : ");
    trace += added->describe();
}

void IniParser::handleConstantsExtensions(const LineTokenizer& tokens)
{
    // defaultValue = name, value: the value a constant has before any tune.
    if (tokens.text(0) == wxS("defaultValue") && tokens.count() >= 3) {
        wxString value = tokens.text(2);
        for (int i = 3; i < tokens.count(); ++i)
            value += ' ' + tokens.text(i);
        table->getConstantValues().setText(tokens.text(1), value);
    }
}

void IniParser::handleDatalog(const LineTokenizer& tokens)
{
    if (tokens.text(0) == wxS("entry"))
        table->addDatalogEntry(tokens.text(1), tokens.text(2), tokens.text(3), tokens.text(4));
}
