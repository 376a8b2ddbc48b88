// [FrontPage]: the gauges shown first and the indicator lamps; and the
// gaugeCategory lines of [GaugeConfigurations] that group the gauges.
#include "definition/IniParser.h"

void IniParser::handleFrontPage(const LineTokenizer& tokens)
{
    const wxString& key = tokens.text(0);
    if (key == wxS("indicator")) {
        // indicator = { expr }, "off", "on", offBg, offFg, onBg, onFg
        if (tokens.type(1) != TokenBrace) {
            warnings.Add(ParserException("Indicator without {expression}", lineIndex).text());
            return;
        }
        Indicator lamp;
        lamp.expression = tokens.text(1).Strip(wxString::both);
        lamp.offText = tokens.text(2);
        lamp.onText = tokens.text(3);
        LampColour* colours[] = {&lamp.offBackground, &lamp.offForeground, &lamp.onBackground,
                                 &lamp.onForeground};
        for (int i = 0; i < 4; ++i)
            if (tokens.count() > 4 + i && !LampColourNamed(tokens.text(4 + i), *colours[i]))
                warnings.Add(
                    ParserException("Unknown colour " + tokens.text(4 + i), lineIndex).text());
        table->getFrontPage().indicators.push_back(lamp);
        trace += wxS("add indicator : ");
        trace += lamp.expression;
        return;
    }
    unsigned long number = 0;
    if (key.StartsWith(wxS("gauge")) && key.Mid(5).ToULong(&number) && number >= 1 &&
        number <= 99) {
        table->getFrontPage().setGauge(int(number), tokens.text(1));
        trace += wxS("front page ");
        trace += key;
        trace += wxS(" : ");
        trace += tokens.text(1);
    }
}

bool IniParser::readGaugeCategory(const LineTokenizer& tokens)
{
    if (tokens.text(0) != wxS("gaugeCategory"))
        return false;
    // Quoted ("Main") or not (Test Bench: two words).
    wxString name = tokens.text(1);
    for (int i = 2; i < tokens.count(); ++i)
        name += ' ' + tokens.text(i);
    gaugeCategory = name;
    return true;
}
