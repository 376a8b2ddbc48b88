// The live recording writes each fresh record of the ECU input once, from
// what the tick produced: plain channels from the record, computed ones as
// the tick served them, and only the others computed for it.
#include "app/LiveRecording.h"
#include "definition/SymbolTable.h"
#include "dispatch/RTDataMgr.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

TEST(LiveRecording, WritesEachFreshRecordOnceFromWhatTheTickProduced)
{
    SymbolTable table;
    auto add = [&](const char* name, const char* expression, const char* format) {
        Symbol* symbol = new Symbol;
        symbol->setIdentity(name, "u", false, 0, 0);
        if (expression)
            symbol->setExpression(name, expression);
        table.addSymbol(name, symbol);
        table.addDatalogEntry(name, name, "float", format);
    };
    add("rpm", nullptr, "%d");
    add("gone", nullptr, "%d"); // never sent
    add("lambda", "{ afr / 14.7 }", "%.3f");
    add("boost", "{ map - 100 }", "%.1f"); // no gauge shows it

    TempDir dir;
    std::vector<wxString> computed;
    LiveRecording recording;
    ASSERT_TRUE(recording.Start(dir.path, "test.ini", table, 7, [&](const wxString& name) {
        computed.push_back(name);
        return 12.5;
    })) << recording.GetError();
    struct Tick {
        uint64_t sequence;
        double fetched;
        double rpm;
        double lambda;
    } const ticks[] = {
        {7, 99.0, 700, 0.9},    // shown before the start
        {8, 100.25, 900, 1.0},  // fresh
        {8, 100.5, 900, 1.0},   // the same record again
        {9, 101.0, 1000, 1.05}, // fresh
    };
    for (const Tick& t : ticks) {
        ValueMap channels, served;
        channels["rpm"] = t.rpm;
        served["rpm"] = t.rpm;
        served["lambda"] = t.lambda;
        ASSERT_TRUE(recording.AfterTick({t.sequence, t.fetched, channels, served})) << recording.GetError();
    }
    recording.Stop();

    std::ifstream file(static_cast<const char*>(recording.GetPath().fn_str()));
    std::vector<std::string> records;
    for (std::string line; std::getline(file, line);)
        records.push_back(line);
    ASSERT_GE(records.size(), 4u);
    records.erase(records.begin(), records.begin() + 4); // title, date, names, units
    EXPECT_EQ(records, (std::vector<std::string>{"0.000\t900\t\t1.000\t12.5", "0.750\t1000\t\t1.050\t12.5"}));
    EXPECT_EQ(computed, (std::vector<wxString>{"boost", "boost"}));
}
