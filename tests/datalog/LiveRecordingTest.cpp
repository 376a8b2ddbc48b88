// The live recording writes each record the ECU input took once, in order:
// plain channels from the record, computed ones computed over that record.
#include "datalog/LiveRecording.h"
#include "definition/SymbolTable.h"
#include "dispatch/RTDataMgr.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

TEST(LiveRecording, WritesEachRecordOnceWithItsOwnComputedChannels)
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

    TempDir dir;
    double rpm = 0;
    std::vector<wxString> computed;
    LiveRecording recording;
    ASSERT_TRUE(recording.StartAt(dir.file("run.msl"), "test.ini", table, 7, [&](const wxString& name) {
        computed.push_back(name);
        return rpm / 1000.0;
    })) << recording.GetError();
    struct Record {
        uint64_t sequence;
        double fetched;
        double rpm;
    } const records[] = {
        {7, 99.0, 700},     // shown before the start
        {8, 100.25, 900},   // fresh
        {8, 100.25, 900},   // the same record again
        {9, 100.26, 1000},  // 10 ms later
        {10, 100.27, 1100}, // and again
    };
    for (const Record& r : records) {
        ValueMap channels;
        channels["rpm"] = rpm = r.rpm;
        ASSERT_TRUE(recording.Add(r.sequence, r.fetched, channels)) << recording.GetError();
    }
    EXPECT_EQ(recording.GetRecordCount(), 3u);
    recording.Stop();

    std::ifstream file(dir.file("run.msl"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    ASSERT_GE(lines.size(), 4u);
    lines.erase(lines.begin(), lines.begin() + 4); // title, date, names, units
    EXPECT_EQ(lines, (std::vector<std::string>{"0.000\t900\t\t0.900", "0.010\t1000\t\t1.000",
                                               "0.020\t1100\t\t1.100"}));
    EXPECT_EQ(computed.size(), 3u);

    // The file named is never replaced.
    LiveRecording again;
    EXPECT_FALSE(again.StartAt(dir.file("run.msl"), "test.ini", table, 0, {}));
    EXPECT_NE(again.GetError().Find("exists"), wxNOT_FOUND) << again.GetError();
}
