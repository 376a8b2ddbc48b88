// What the definition files of other firmwares use: link settings, bits and
// float channels, gauge expressions over constants, tune files, lookup
// tables, #elif/#set/#unset and the user's settings.
#include "definition/DefinitionExpressions.h"
#include "definition/IncTable.h"
#include "definition/IniParser.h"
#include "tests/definition/ParseHelpers.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <wx/filename.h>

TEST(FirmwareDefinition, LinkSettingsAndRefusedBlockSizes)
{
    const Parsed parsed = Parse(Lines({
        "[MegaTune]",
        "signature = 20",
        "queryCommand = \"Q\"",
        "[TunerStudio]",
        "versionInfo = \"V\"",
        "[Constants]",
        "messageEnvelopeFormat = msEnvelope_1.0",
        "endianness = little",
        "blockReadTimeout = 3000",
        "blockingFactor = 500",
        "[OutputChannels]",
        "ochGetCommand = \"O%2o%2c\"",
        "ochBlockSize = 1248",
        "ochBlockSize = 0",
        "ochBlockSize = -5",
        "ochBlockSize = 1000000000",
        "endianness = middle",
        "tsWriteBlocks = on",
    }));
    const LinkSettings& link = parsed.table->getLinkSettings();
    EXPECT_EQ(link.signature, "\x14");
    EXPECT_FALSE(link.isBuiltInFirmware());
    EXPECT_EQ(link.queryCommand, "Q");
    EXPECT_EQ(link.versionInfo, "V");
    EXPECT_TRUE(link.isFramed());
    EXPECT_EQ(link.endianness, ByteOrder::Little);
    EXPECT_EQ(link.blockReadTimeout, 3000);
    EXPECT_TRUE(link.writeBlocks);
    EXPECT_EQ(link.blockingFactor, 500);
    EXPECT_EQ(link.ochGetCommand, "O%2o%2c");
    EXPECT_EQ(link.ochBlockSize, 1248); // the impossible ones were refused
    EXPECT_EQ(parsed.table->getBlockSize(), 1248);
    EXPECT_EQ(parsed.warnings,
              (std::vector<std::string>{
                  "ochBlockSize 0 is impossible: a runtime data block holds 1 to 65535 bytes in line :13",
                  "ochBlockSize -5 is impossible: a runtime data block holds 1 to 65535 bytes in line :14",
                  "ochBlockSize 1000000000 is impossible: a runtime data block holds 1 to 65535 bytes in "
                  "line :15",
                  "endianness 'middle' is neither big nor little in line :16"}));

    // Without a signature, or with its own, the dashboard's firmware is meant;
    // without ochBlockSize the channels tell the block's extent.
    const Parsed own = Parse(Lines({"[MegaTune]", "signature = \"TARN Corecard v3\"", "[OutputChannels]",
                                    "a = scalar, U16, 40", "b = scalar, F32, 60"}));
    EXPECT_TRUE(own.table->getLinkSettings().isBuiltInFirmware());
    EXPECT_EQ(own.table->getBlockSize(), 64);
    EXPECT_TRUE(own.symbol("b").Float);
    EXPECT_TRUE(Parse("").table->getLinkSettings().isBuiltInFirmware());
}

TEST(FirmwareDefinition, PreprocessorChoices)
{
    const std::string text = Lines({
        "#unset FAST",
        "#set SLOW",
        "[OutputChannels]",
        "#if FAST",
        "a = scalar, U08, 0",
        "#elif SLOW",
        "b = scalar, U08, 0",
        "#elif CELSIUS",
        "c = scalar, U08, 0",
        "#else",
        "d = scalar, U08, 0",
        "#endif",
        "#if NONE",
        "e = scalar, U08, 0",
        "#elif CELSIUS",
        "f = scalar, U08, 0",
        "#endif",
        "#ifdef CELSIUS",
        "g = scalar, U08, 0",
        "#endif",
        "#ifndef CELSIUS",
        "h = scalar, U08, 0",
        "#else",
        "i = scalar, U08, 0",
        "#endif",
        "#ifdef FAST",
        "j = scalar, U08, 0",
        "#endif",
        "#ifndef NEVER_NAMED",
        "k = scalar, U08, 0",
        "#endif",
    });
    const Parsed parsed = Parse(text);
    EXPECT_EQ(parsed.names(), (std::vector<std::string>{"b", "f", "g", "i", "k"}));
    // Only #if warns about a name that is no setting.
    EXPECT_EQ(parsed.warnings, (std::vector<std::string>{"NONE no matching condition!  - line: 12"}));
    // tempCvt() follows the CELSIUS setting the file leaves.
    EXPECT_TRUE(parsed.table->isCelsius());
    EXPECT_FALSE(Parse("#unset CELSIUS\n").table->isCelsius());

    // The user's settings win over the file's #set/#unset.
    wxArrayString flags;
    flags.Add("FAST");
    IniParser parser(flags);
    parser.openBytes(text);
    while (parser.readNext()) {
    }
    std::vector<std::string> names;
    for (const auto& symbol : parser.getTable()->getAllSymbols())
        names.push_back(symbol->Name.utf8_string());
    EXPECT_EQ(names, (std::vector<std::string>{"a", "f", "g", "i", "j", "k"}));
}

TEST(FirmwareDefinition, GaugeExpressionsOverDefaultsAndTune)
{
    const TempDir folder;
    const std::string ini = folder.write("ecu.ini", Lines({
        "[PcVariables]",
        "rpmhigh = scalar, U16, \"rpm\", 1, 0, 0, 30000, 0",
        "unitsList = bits, U08, [0:1], \"None\", \"Duty\", \"Steps\"",
        "[Constants]",
        "stoich = scalar, U08, 50, \":1\", 0.1, 0.0, 0.0, 25.5, 1",
        "algorithm = bits, U08, 51, [0:1], \"Off\", \"PWM\", \"Stepper\"",
        "[ConstantsExtensions]",
        "defaultValue = rpmhigh, 8000",
        "defaultValue = stoich, 14.7",
        "defaultValue = alias, Aux0",
        "[OutputChannels]",
        "afr = scalar, U08, 0, \"AFR\", 0.1, 0",
        "lambda = { afr / stoich }",
        "[GaugeConfigurations]",
        "gaugeCategory = \"Main\"",
        "tach = rpm, \"Engine\", \"RPM\", 0, {rpmhigh}, 300, 600, {rpmhigh - 2000}, {rpmhigh - 1000}, 0, 0",
        "afrG = afr, \"AFR\", \"\", 7, 25, {12 / 14.7 * stoich}, 13, 15, 16, 2, 2",
        "idle = afr, \"Idle\", { bitStringValue(unitsList, algorithm) }, 0, 100, 0, 0, 90, 95, 0, 0",
        "aux = afr, { stringValue(alias) }, \"\", 0, 1024, -1, -1, 1025, 1025, 0, 0",
        "bad = afr, { nosuch(1) }, \"\", 0, {1 +}, 0, 0, 1, 1, 0, 0",
    }));
    const std::string tune = folder.write("tune.msq", Lines({
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>",
        "<msq xmlns=\"http://www.msefi.com/:msq\">",
        "<page number=\"0\"><constant name=\"stoich\" units=\":1\">9.8</constant>",
        "<constant name=\"algorithm\">\"Stepper\"</constant></page>",
        "</msq>",
    }));

    std::unique_ptr<SymbolTable> table(loadDefinitionFileFrom(ini));
    const GaugeDescList& gauges = table->getGauges();
    ASSERT_EQ(gauges.size(), 5u); // the category is no gauge
    EXPECT_EQ(gauges[0]->getMaxValue(), 8000);
    EXPECT_EQ(gauges[0]->getRanges()[2].lo, 6000);
    EXPECT_EQ(gauges[0]->getRanges()[2].hi, 7000);
    EXPECT_EQ(gauges[0]->getRanges()[3].lo, 7000);
    EXPECT_EQ(gauges[0]->getRanges()[3].hi, 8000);
    EXPECT_NEAR(gauges[1]->getRanges()[0].hi, 12.0, 1e-9);
    EXPECT_EQ(gauges[2]->getUnits(), "None"); // algorithm has no value: 0
    EXPECT_EQ(gauges[3]->getTitle(), "Aux0");
    EXPECT_EQ(gauges[4]->getTitle(), "afr"); // cannot be computed: the channel's name
    EXPECT_EQ(gauges[4]->getMaxValue(), 0);
    EXPECT_EQ(gauges[0]->getExpression(TARNGaugeDesc::FieldMax), "rpmhigh");

    // Channel expressions see the constants too.
    ValueMap values;
    Evaluation evaluation;
    evaluation.setTable(&values);
    table->expressions().prepare(evaluation, values);
    values["afr"] = 14.7;
    EXPECT_DOUBLE_EQ(evaluation.evaluate("afr / stoich"), 1.0);

    DefinitionOptions options;
    options.tuneFile = tune;
    wxArrayString warnings;
    table.reset(loadDefinitionFileFrom(ini, options, &warnings));
    EXPECT_TRUE(warnings.empty());
    EXPECT_NEAR(table->getGauges()[1]->getRanges()[0].hi, 12 / 14.7 * 9.8, 1e-9);
    EXPECT_EQ(table->getGauges()[2]->getUnits(), "Steps");

    // Tune files that cannot be used leave the defaults; none may hang or
    // exhaust the stack.
    std::string deep = "<msq>";
    for (int i = 0; i < 200000; ++i)
        deep += "<page>";
    ::mkfifo((folder.path + "/pipe.msq").c_str(), 0600);
    struct Bad {
        std::string file;
        const char* starts;
    } bads[] = {
        {folder.path + "/missing.msq", "Tune file not read: cannot open "},
        {folder.path + "/pipe.msq", "Tune file not read: cannot open "},
        {folder.write("deep.msq", deep), "Tune file not read: "},
        {folder.write("text.msq", "stoich = 9.8"), "Tune file not read: "},
    };
    for (const Bad& bad : bads) {
        SCOPED_TRACE(bad.file);
        options.tuneFile = bad.file;
        table.reset(loadDefinitionFileFrom(ini, options, &warnings));
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_TRUE(warnings[0].StartsWith(bad.starts)) << warnings[0];
        EXPECT_EQ(table->getGauges()[0]->getMaxValue(), 8000); // the defaults stay
    }
}

// A tune's arrays become numbers; what the definition does not declare, or
// an array with a word in it, is not taken.
TEST(FirmwareDefinition, TuneArrays)
{
    const TempDir folder;
    const std::string ini = folder.write("ecu.ini", Lines({
        "[Constants]",
        "ve = array, U08, 0, [4], \"%\", 1, 0",
        "ign = array, U08, 4, [2], \"deg\", 1, 0",
        "[OutputChannels]",
        "rpm = scalar, U16, 0",
    }));
    DefinitionOptions options;
    options.tuneFile = folder.write("tune.msq", Lines({
        "<msq><page>",
        "<constant name=\"ve\" rows=\"4\">\n  1 2.5\n +3\t-4e1 \n</constant>",
        "<constant name=\"ign\">10 x</constant>",
        "<constant name=\"undeclared\">1 2 3</constant>",
        "</page></msq>",
    }));
    wxArrayString warnings;
    std::unique_ptr<SymbolTable> table(loadDefinitionFileFrom(ini, options, &warnings));
    EXPECT_TRUE(warnings.empty());
    const ConstantValues& constants = table->getConstantValues();
    ASSERT_TRUE(constants.findArray("ve"));
    EXPECT_EQ(*constants.findArray("ve"), (std::vector<double>{1, 2.5, 3, -40}));
    EXPECT_FALSE(constants.findArray("ign"));
    wxString text;
    EXPECT_FALSE(constants.findText("undeclared", text));
}

TEST(FirmwareDefinition, LookupTablesBesideTheFile)
{
    const TempDir folder;
    folder.write("lin.inc", "; x y pairs\n0 -40\n100 60\n200 60\n");
    folder.write("db.inc", "\tDB\t10T ; 0\n\tDB\t$14, 30T\n");
    const std::string ini = folder.write("ecu.ini", Lines({
        "[OutputChannels]",
        "adc = scalar, U08, 0",
        "temp = { table(adc, \"lin.inc\") }",
        "step = { table(adc, \"db.inc\") + 1 }",
        "gone = { table(adc, \"missing.inc\") }",
        "path = { table(adc, \"../lin.inc\") }",
    }));
    std::unique_ptr<SymbolTable> table(loadDefinitionFileFrom(ini));
    EXPECT_EQ(table->getIncTableErrors().size(), 2u);
    EXPECT_EQ(table->getIncTableErrors().count("missing.inc"), 1u);
    EXPECT_EQ(table->getIncTableErrors().count("../lin.inc"), 1u);

    ValueMap values;
    Evaluation evaluation;
    evaluation.setTable(&values);
    table->expressions().prepare(evaluation, values);
    const struct {
        double adc;
        const char* expression;
        double want;
        bool fails;
    } cases[] = {
        {50, "table(adc, \"lin.inc\")", 10, false},
        {-5, "table(adc, \"lin.inc\")", -40, false},
        {500, "table(adc, \"lin.inc\")", 60, false},
        {1.5, "table(adc, \"db.inc\")", 25, false},
        {9, "table(adc, \"db.inc\")", 30, false},
        {1, "table(adc, \"missing.inc\")", 0, true},
        {1, "table(adc)", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expression);
        values["adc"] = c.adc;
        EXPECT_DOUBLE_EQ(evaluation.evaluate(c.expression), c.want);
        EXPECT_EQ(evaluation.lastEvaluationFailed(), c.fails);
    }

    IncTable inc;
    wxString error;
    EXPECT_FALSE(inc.parse("DB 1\n5 6\n", error));
    EXPECT_EQ(error, "line 2 mixes DB/DW lines with \"x y\" pairs");
    EXPECT_FALSE(inc.parse("2 1\n1 2\n", error));
    EXPECT_EQ(error, "line 2: x does not rise");
    EXPECT_FALSE(inc.parse("; nothing\n", error));
    EXPECT_EQ(error, "no entries");
    EXPECT_FALSE(inc.parse("DB 1x\n", error));
    EXPECT_EQ(error, "line 1: '1x' is not a value");
    // A named pipe is refused at once rather than waited on.
    ::mkfifo((folder.path + "/pipe.inc").c_str(), 0600);
    EXPECT_FALSE(inc.load(folder.path + "/pipe.inc", error));
    EXPECT_TRUE(error.EndsWith("pipe.inc: not a regular file")) << error;
}

TEST(FirmwareDefinition, FieldsOfOtherFirmwares)
{
    const TempDir folder;
    const std::string ini = folder.write("ecu.ini", Lines({
        "[MegaTune]",
        "signature = \"other\"",
        "[PcVariables]",
        "unitsList = bits, U08, [0:1], \"kPa\", \"%\"",
        "[Constants]",
        "page = 1",
        "k = scalar, U08, 0, \"\", 1, 0",
        "mode = bits, U08, 1, [0:1], \"Off\", \"On\"",
        "tbl = array, U16, lastOffset, [4], \"\", 0.5, 0",
        "after = scalar, U08, lastOffset, \"\", {k * 2}, 0, {k}, {k * 10}, {1 + 1}",
        "[ConstantsExtensions]",
        "defaultValue = k, 4",
        "defaultValue = mode, 1",
        "[OutputChannels]",
        "adc = scalar, U16, 4, \"V\", {1/1023*5}, 0",
        "short = scalar, F32, 8",
        "lambda = scalar, U16, 12, \"\", 1.0E-4, 0",
        "viaChannel = scalar, U08, 14, \"\", {half}, {-k}",
        "half = { k / 8 }",
        "loop = scalar, U08, 15, \"\", {self}, 0",
        "self = { self + self }",
        "noValue = scalar, U08, 16, \"\", {nothing * 2}, 0",
        "runtime = scalar, U08, 17, \"\", {adc}, 0",
        "word = scalar, U08, 18, \"\", abc, 0",
        "units = scalar, U08, 19, { bitStringValue(unitsList, mode) }, 1, 0",
        "noUnits = scalar, U08, 20, { bitStringValue(unitsList, nothing) }, 1, 0",
        "noOffset = scalar, U08, there",
        "[Constants]",
        "#define names = \"A\", \"B\"",
        "#define more = $names, \"C\"",
        "sel = bits, U08, 2, [0:1], $more",
        "[ConstantsExtensions]",
        "defaultValue = sel, C",
        "[OutputChannels]",
        "huge = scalar, U08, 21, \"\", 1e999, 0",
    }));
    wxArrayString warnings;
    std::unique_ptr<SymbolTable> table(loadDefinitionFileFrom(ini, DefinitionOptions(), &warnings));
    const double none = std::nan("");
    const struct {
        const char* name;
        double scale, trans;
        int32_t offset;
        const char* units;
    } cases[] = {
        {"adc", 5.0 / 1023, 0, 4, "V"},   {"short", 1, 0, 8, ""},
        {"lambda", 1e-4, 0, 12, ""},      {"viaChannel", 0.5, -4, 14, ""},
        {"loop", none, 0, 15, ""},        {"noValue", none, 0, 16, ""},
        {"runtime", none, 0, 17, ""},     {"word", none, 0, 18, ""},
        {"units", 1, 0, 19, "%"},         {"noUnits", 1, 0, 20, ""},
        {"noOffset", 1, 0, -1, ""},       {"tbl", 0.5, 0, 1, ""},
        {"after", 8, 0, 1, ""},          {"huge", none, 0, 21, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Symbol* symbol = table->findSymbol(c.name);
        ASSERT_NE(symbol, nullptr);
        EXPECT_EQ(symbol->hasScaling(), !std::isnan(c.scale));
        if (!std::isnan(c.scale)) {
            EXPECT_DOUBLE_EQ(symbol->Scale, c.scale);
        }
        EXPECT_DOUBLE_EQ(symbol->Trans, c.trans);
        EXPECT_EQ(symbol->Offset, c.offset);
        EXPECT_EQ(symbol->Units, c.units);
    }
    const wxArrayString& labels = table->findSymbol("sel")->BitFields;
    EXPECT_EQ(std::vector<wxString>(labels.begin(), labels.end()), (std::vector<wxString>{"A", "B", "C"}));
    double sel = 0;
    EXPECT_TRUE(table->getConstantValues().findNumber("sel", sel));
    EXPECT_EQ(sel, 2);
    const Symbol& after = *table->findSymbol("after");
    EXPECT_EQ(after.Lo, 4);
    EXPECT_EQ(after.Hi, 40);
    EXPECT_EQ(after.Digits, 2);
    EXPECT_EQ(std::vector<std::string>(warnings.begin(), warnings.end()), (std::vector<std::string>{
        "Scale of word is not a number: 'abc' in line :23",
        "Offset of noOffset is not a number: 'there' in line :26",
        "Scale of huge is not a number: '1e999' in line :34",
        "Scale of loop {self} gives no value: channel self nests too deep in line :19",
        "Scale of noValue {nothing * 2} gives no value: unknown name nothing in line :21",
        "Scale of runtime {adc} gives no value: adc is read from the ECU, not a constant in line :22",
    }));

    // Constants that change later (read from the ECU) change the scales.
    table->getConstantValues().setText("k", "8");
    table->resolveConstants();
    EXPECT_DOUBLE_EQ(table->findSymbol("viaChannel")->Scale, 1.0);
    EXPECT_DOUBLE_EQ(table->findSymbol("viaChannel")->Trans, -8);
    EXPECT_DOUBLE_EQ(table->findSymbol("after")->Scale, 16);
    table->getConstantValues().setText("mode", "0");
    table->getConstantValues().setText("k", "x");
    table->resolveConstants();
    EXPECT_FALSE(table->findSymbol("viaChannel")->hasScaling());
    EXPECT_EQ(table->findSymbol("units")->Units, "kPa");
    EXPECT_EQ(table->getScaleProblems().size(), 6u);

    // The dashboard's own file reads as it always has: no exponent, and a
    // missing or braced scale reads 0.
    const Parsed own = Parse(Lines({"[OutputChannels]", "a = scalar, U16, 0, \"\", 1.0E-4, 0",
                                    "b = scalar, F32, 4", "c = scalar, U08, 8, \"\", {1/100}, 0"}));
    EXPECT_EQ(own.symbol("a").Scale, 1.0);
    EXPECT_EQ(own.symbol("b").Scale, 0.0);
    EXPECT_EQ(own.symbol("c").Scale, 0.0);
    EXPECT_TRUE(own.warnings.empty());
}

TEST(FirmwareDefinition, PageSettingsAndRefusedPageSizes)
{
    const Parsed parsed = Parse(Lines({
        "[Constants]",
        "nPages = 3",
        "pageSize = 128, 288, 64",
        "pageIdentifier = \"\\$tsCanId\\x01\", \"\\$tsCanId\\x02\"",
        "pageReadCommand = \"p%2i%2o%2c\", \"p%2i%2o%2c\", \"V\"",
        "pageActivate = \"P\"",
        "pageSize = 128, 0, 64",
        "pageSize = 1000000000",
        "nPages = 1000",
    }));
    const LinkSettings& link = parsed.table->getLinkSettings();
    EXPECT_EQ(link.nPages, 3);
    EXPECT_EQ(link.pageSizes, (std::vector<int32_t>{128, 288, 64})); // the impossible ones were refused
    EXPECT_EQ(link.pageIdentifiers, (std::vector<wxString>{"\\$tsCanId\\x01", "\\$tsCanId\\x02"}));
    EXPECT_EQ(link.pageReadCommands.size(), 3u);
    EXPECT_EQ(link.pageActivates, std::vector<wxString>{"P"});
    EXPECT_EQ(parsed.warnings,
              (std::vector<std::string>{
                  "pageSize 0 of page 2 is impossible: a page holds 1 to 65535 bytes in line :6",
                  "pageSize 1000000000 of page 1 is impossible: a page holds 1 to 65535 bytes in "
                  "line :7",
                  "nPages 1000 is impossible: a file has 0 to 255 pages in line :8"}));
}
