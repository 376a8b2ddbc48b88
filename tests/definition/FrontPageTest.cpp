// [FrontPage] and the gauges' categories and digits.
#include "definition/IniParser.h"
#include "tests/definition/ParseHelpers.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

TEST(FrontPageSection, GaugesByNumberAndIndicators)
{
    const Parsed parsed = Parse(Lines({
        "[FrontPage]",
        "egoLEDs = 4.0, 1.0, 2.5",
        "gauge1 = tachometer",
        "gauge3 = mapGauge",
        "#if NARROW_BAND_EGO",
        "gauge2 = egoGauge",
        "#else",
        "gauge2 = afrGauge",
        "#endif",
        "gauge0 = nothing",
        "gaugeX = nothing",
        "indicator = {  status1 & 0b00001000}, \"Not synced\", \"Synced\", red, black, Green, white",
        "indicator = { (tps > tpsflood) && (rpm < crankRPM) }, \"\", \"FLOOD CLEAR\"",
        "indicator = { ready }, \"a\", \"b\", mauve, black, green, black",
        "indicator = ready, \"a\", \"b\"",
    }));
    const FrontPage& page = parsed.table->getFrontPage();
    EXPECT_EQ(page.gauges, (std::vector<wxString>{"tachometer", "afrGauge", "mapGauge"}));
    ASSERT_EQ(page.indicators.size(), 3u);
    const Indicator& synced = page.indicators[0];
    EXPECT_EQ(synced.expression, "status1 & 0b00001000");
    EXPECT_EQ(synced.offText, "Not synced");
    EXPECT_EQ(synced.onText, "Synced");
    EXPECT_EQ(synced.offBackground.red, 255);
    EXPECT_EQ(synced.offBackground.green, 0);
    EXPECT_EQ(synced.onBackground.green, 200) << "names match in any case";
    EXPECT_EQ(synced.onForeground.blue, 255);
    // Colours left out keep white on black, green when lit.
    EXPECT_EQ(page.indicators[1].expression, "(tps > tpsflood) && (rpm < crankRPM)");
    EXPECT_EQ(page.indicators[1].offBackground.blue, 255);
    EXPECT_EQ(page.indicators[1].onBackground.green, 200);
    // An unknown colour and a line without braces are named.
    ASSERT_EQ(parsed.warnings.size(), 2u);
    EXPECT_NE(parsed.warnings[0].find("mauve"), std::string::npos);
    EXPECT_NE(parsed.warnings[1].find("Indicator"), std::string::npos);
}

TEST(GaugeConfigurationsSection, CategoriesQuotedOrNot)
{
    const Parsed parsed = Parse(Lines({
        "[GaugeConfigurations]",
        "first = rpm, \"RPM\", \"\", 0, 100, 0, 0, 100, 100, 0, 0",
        "gaugeCategory = \"Main\"",
        "second = map, \"MAP\", \"\", 0, 100, 0, 0, 100, 100, 0, 0",
        "gaugeCategory = Test Bench",
        "third = tps, \"TPS\", \"\", 0, 100, 0, 0, 100, 100, 0, 0",
    }));
    const GaugeDescList& gauges = parsed.table->getGauges();
    ASSERT_EQ(gauges.size(), 3u);
    EXPECT_EQ(gauges[0]->getCategory(), "");
    EXPECT_EQ(gauges[1]->getCategory(), "Main");
    EXPECT_EQ(gauges[2]->getCategory(), "Test Bench");
}

TEST(GaugeConfigurationsSection, OnlyOtherFirmwaresFilesChooseTheDigits)
{
    const TempDir folder;
    const char* const gauges[] = {
        "[GaugeConfigurations]",
        "lambdaGauge = lambda, \"Lambda\", \"\", 0.5, 1.5, 0.6, 0.7, 1.2, 1.3, 2, 1",
    };
    const struct {
        const char* signature;
        const char* valueFormat;
        const char* firstLabel;
    } cases[] = {
        {"", "%1.2f", "0"},                                  // none: the built-in firmware
        {"signature = \"TARN Corecard v3\"", "%1.2f", "0"},
        {"signature = \"speeduino 202501\"", "%.2f", "0.5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signature);
        const std::string ini = folder.write(
            "ecu.ini", "[MegaTune]\n" + std::string(c.signature) + "\n" + gauges[0] + "\n" + gauges[1] + "\n");
        std::unique_ptr<SymbolTable> table(loadDefinitionFileFrom(ini));
        ASSERT_EQ(table->getGauges().size(), 1u);
        const TARNGaugeDesc& desc = *table->getGauges()[0];
        EXPECT_EQ(desc.valueFormat(), c.valueFormat);
        EXPECT_EQ(desc.GaugeNumbers()[0], c.firstLabel);
    }
}

TEST(FrontPageSection, ANameWithoutAGaugeIsNamed)
{
    const TempDir folder;
    const std::string ini = folder.write("ecu.ini", Lines({
        "[GaugeConfigurations]",
        "tach = rpm, \"RPM\", \"\", 0, 8000, 0, 0, 8000, 8000, 0, 0",
        "[FrontPage]",
        "gauge1 = tach",
        "gauge2 = gone",
    }));
    wxArrayString warnings;
    std::unique_ptr<SymbolTable> table(loadDefinitionFileFrom(ini, &warnings));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Front page gauge2 names no gauge: gone");
}
