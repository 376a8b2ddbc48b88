// Which column serves a name, in which unit, and what a file that is no log gives.
#include "datalog/RTDataMgrFile.h"
#include "definition/SymbolTable.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double PlayOnce(RTDataMgrFile& input, const wxString& name)
{
    ValueMap values;
    input.setValueMap(&values);
    values[name] = 0.0;
    input.Update();
    return values[name];
}

} // namespace

TEST(ColumnMatching, RulesInOrderAndUnitsConverted)
{
    SymbolTable table;
    auto add = [&](const char* name, const wxString& units) {
        Symbol* symbol = new Symbol;
        symbol->setIdentity(name, units, false, 0, 0);
        table.addSymbol(name, symbol);
    };
    add("coolant", wxString(L"\u00b0C"));
    add("intake", "deg F");
    add("map", "kPa");
    add("baro", "kPa");
    table.addDatalogEntry("secl", "Seconds", "int", "%d");
    table.addDatalogEntry("baro", "Barometer", "float", "%.1f"); // no such column: the name rules go on
    const std::string log = "\"fw\"\n"
                            "Time\tRPM\tCLT\tMAT\tignAdv\tBatt V\tseconds\tMAP\tbaro\tAFR\n"
                            "s\tRPM\t\xb0" "F\t\xb0" "C\tdeg\tV\ts\tpsi\tkPa\tAFR\n"
                            "0\t900\t212\t20\t12.5\t13.8\t42\t14.5\t101\t14.7\n";
    using Rule = ColumnMatcher::Rule;
    struct Case {
        const char* name;
        Rule rule;
        double want; // NaN: no value
    };
    const double none = std::nan("");
    const Case cases[] = {
        {"secl", Rule::DatalogEntry, 42}, {"rpm", Rule::Name, 900},        {"baro", Rule::Name, 101},
        {"battV", Rule::LooseName, 13.8}, {"coolant", Rule::Alias, 100},   {"intake", Rule::Alias, 68},
        {"spark", Rule::Alias, 12.5},     {"map", Rule::Name, 99.97},      {"afr1", Rule::Alias, 14.7},
        {"lambda", Rule::None, none},     {"dwell", Rule::None, none},
    };
    auto input = RTDataMgrFile::FromBytes(log, "drive.msl", &table);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RTDataMgrFile::Source source = input->FindSource(c.name);
        EXPECT_EQ(source.match.rule, c.rule);
        const double value = PlayOnce(*input, c.name);
        if (std::isnan(c.want))
            EXPECT_TRUE(RTDataMgr::IsNoValue(value)) << value;
        else
            EXPECT_NEAR(value, c.want, 0.01);
    }
    EXPECT_EQ(input->FindSource("coolant").conversion.from, wxString(L"\u00b0F"));
    EXPECT_FALSE(input->FindSource("baro").conversion.Converts());
}

TEST(ColumnMatching, AFileThatIsNoLogIsAMessageNeverAValue)
{
    struct Case {
        const char* what;
        std::string bytes;
        const char* message; // in the refusal or the problems
        double rpm;          // NaN: no value
    };
    const double none = std::nan("");
    const Case cases[] = {
        {"empty file", "", "empty file", none},
        {"debug log", "13:46:24: start\n13:46:24: ---parse tarnv3 start\n13:46:25: setSize: 240\n", "debug log", none},
        {"binary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0", 18) + std::string(600, '\x90'),
         "MLVLG", none},
        {"binary without a NUL up front", std::string(100, '\x90') + std::string(1, '\0') + "RPM\n1\n", "MLVLG",
         none},
        {"repeated name", "\"fw\"\nTime\tRPM\tMAP\trpm\ns\trpm\tkPa\trpm\n0\t900\t30\t950\n", "both named", none},
        {"garbage units", "\"fw\"\nTime\tRPM\n\x01\xff\x02\x03\t\t\t\n0\t900\n", "units ignored", 900},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto input = RTDataMgrFile::FromBytes(c.bytes, "x.msl");
        wxString said = input->GetLog().GetRefusal();
        for (const wxString& problem : input->GetLog().Problems())
            said += "\n" + problem;
        EXPECT_NE(said.Find(c.message), wxNOT_FOUND) << said;
        const double value = PlayOnce(*input, "rpm");
        if (std::isnan(c.rpm))
            EXPECT_TRUE(RTDataMgr::IsNoValue(value)) << value;
        else
            EXPECT_EQ(value, c.rpm);
    }
}

TEST(ColumnMatching, AnotherTableFindsTheColumnsAgainWhereTheReplayStands)
{
    const auto tableIn = [](const wxString& units) {
        auto table = std::make_unique<SymbolTable>();
        Symbol* symbol = new Symbol;
        symbol->setIdentity("coolant", units, false, 0, 0);
        table->addSymbol("coolant", symbol);
        return table;
    };
    const std::unique_ptr<SymbolTable> celsius = tableIn(wxString(L"\u00b0C"));
    const std::unique_ptr<SymbolTable> fahrenheit = tableIn(wxString(L"\u00b0F"));
    auto input = RTDataMgrFile::FromBytes("\"fw\"\nTime\tCLT\ns\t\xb0" "F\n0\t212\n1\t194\n", "drive.msl",
                                          celsius.get());
    EXPECT_NEAR(PlayOnce(*input, "coolant"), 100, 0.01);
    input->SetTable(fahrenheit.get());
    input->HoldForNextUpdate();
    EXPECT_NEAR(PlayOnce(*input, "coolant"), 212, 0.01);
    EXPECT_EQ(input->GetReplay().GetRecord(), 0u);
}
