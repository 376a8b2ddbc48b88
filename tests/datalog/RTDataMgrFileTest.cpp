#include "dispatch/GaugeUpdater.h"
#include "datalog/RTDataMgrFile.h"
#include "tests/support/FakeGauge.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

const double kAbsent = -12345.0; // marks a name the input gave no value

// Ticks `input` n times with `names` in the map, as the dispatcher does, and
// returns each tick's value per name (kAbsent where it has none).
std::vector<std::vector<double>> Play(RTDataMgrFile& input, const std::vector<wxString>& names,
                                      int n)
{
    ValueMap values;
    input.setValueMap(&values);
    std::vector<std::vector<double>> ticks;
    for (int t = 0; t < n; ++t) {
        values.clear();
        for (const wxString& name : names)
            values[name] = 0.0;
        input.Update();
        std::vector<double> row;
        for (const wxString& name : names) {
            auto it = values.find(name);
            row.push_back(it == values.end() || RTDataMgr::IsNoValue(it->second) ? kAbsent : it->second);
        }
        ticks.push_back(row);
    }
    return ticks;
}

std::vector<std::vector<double>> PlayBytes(const std::string& bytes,
                                           const std::vector<wxString>& names, int n)
{
    auto input = RTDataMgrFile::FromBytes(bytes);
    return Play(*input, names, n);
}

} // namespace

TEST(RTDataMgrFile, ColumnLookupIgnoresCaseAndARepeatedNameServesNothing)
{
    const std::string log = "Sample drive\n"
                            "Time\tRPM\tMap\tMAP\tcoolant\n"
                            "0.1\t900\t35\t99\t20.5\n";
    struct Case {
        const char* name;
        double want;
    };
    const Case cases[] = {
        {"rpm", 900},     {"RPM", 900}, {"Rpm", 900},     {"map", kAbsent}, // Map or MAP?
        {"MAP", kAbsent}, {"time", 0.1}, {"COOLANT", 20.5}, {"egt", kAbsent},
        {"rp", kAbsent},  {"rpmx", kAbsent}, {"", kAbsent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto input = RTDataMgrFile::FromBytes(log);
        EXPECT_EQ(input->HasValue(c.name), c.want != kAbsent);
        EXPECT_EQ(Play(*input, {c.name}, 1)[0][0], c.want);
        EXPECT_EQ(input->GetValue(c.name), c.want == kAbsent ? -1.0 : c.want);
    }
}

TEST(RTDataMgrFile, NumbersReadFromTheFieldStart)
{
    struct Case {
        const char* field;
        double want;
    };
    const Case cases[] = {
        {"12.5kPa", 12.5}, {"n/a", 0.0},   {"-3", -3.0},     {"+4.5", 4.5},    {".5", 0.5},
        {"5.", 5.0},       {"1e3", 1000},  {"2E-2", 0.02},   {"1e", 1.0},      {"1e+", 1.0},
        {"1e+x", 1.0},     {"7e1s", 70},   {" 7", 7.0},      {".", 0.0},       {"-", 0.0},
        {"+.e1", 0.0},     {"3,5", 3.0},   {"0x1A", 0.0},    {"nan", 0.0},     {"inf", 0.0},
        {"-infinity", 0.0}, {"25\xc2\xb0" "C", 25.0}, {"", 0.0}, {"1e999", DBL_MAX},
        {"-1e999", -DBL_MAX}, {"1e-999", 0.0}, {"007", 7.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(RTDataMgrFile::ParseNumber(wxString::FromUTF8(c.field)), c.want);
    }
    // The same through a record line: a field is whatever lies between tabs.
    EXPECT_EQ(PlayBytes("t\nMAP\tX\n12.5kPa\tn/a\n", {"map", "x"}, 1)[0],
              (std::vector<double>{12.5, 0.0}));
}

TEST(RTDataMgrFile, TabRunsAreOneSeparator)
{
    struct Case {
        const char* record;
        std::vector<double> want; // a, b after one tick; kAbsent: record skipped
    };
    const Case cases[] = {
        {"1\t2", {1, 2}},
        {"1\t\t2", {1, 2}},
        {"\t1\t2\t", {1, 2}},
        {"\t\t1\t\t\t2\t\t", {1, 2}},
        {"1 2\t3", {1, 3}},     // a space does not separate
        {"1\t2\t3", {kAbsent, kAbsent}}, // three fields for two columns
        {"1", {kAbsent, kAbsent}},
        {"\t\t", {kAbsent, kAbsent}},
        {"", {kAbsent, kAbsent}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        EXPECT_EQ(PlayBytes(std::string("t\n\ta\t\tb\t\n") + c.record + "\n", {"a", "b"}, 1)[0],
                  c.want);
    }
}

TEST(RTDataMgrFile, EachTickPlaysTheNextLineAndTheLastOneStays)
{
    // 3 columns, 10 records: tick k shows record k, ticks after the tenth keep it.
    std::string log = "title\tignored\tline\nA\tB\tC\n";
    for (int r = 1; r <= 10; ++r)
        log += std::to_string(r) + "\t" + std::to_string(10 * r) + "\t" + std::to_string(100 * r) + "\n";
    const auto ticks = PlayBytes(log, {"a", "b", "c"}, 15);
    for (int t = 0; t < 15; ++t) {
        SCOPED_TRACE(t + 1);
        const int r = t < 10 ? t + 1 : 10;
        EXPECT_EQ(ticks[t], (std::vector<double>{1.0 * r, 10.0 * r, 100.0 * r}));
    }
}

TEST(RTDataMgrFile, MalformedRecordsLeaveThePreviousOne)
{
    const std::string log = "title\n"
                            "rpm\tmap\tspark\n"
                            "1000\t40\t20\n"
                            "2000\t50\t25\t9\n" // one field too many
                            "\n"                // empty
                            "3000\t60\n"        // one too few
                            "4000\t\t70\t30\n"  // double tab: three fields
                            "\t\t\n";
    const std::vector<std::vector<double>> want = {
        {1000, 40, 20}, {1000, 40, 20}, {1000, 40, 20},
        {1000, 40, 20}, {4000, 70, 30}, {4000, 70, 30},
    };
    const auto ticks = PlayBytes(log, {"rpm", "map", "spark"}, 6);
    for (size_t t = 0; t < want.size(); ++t) {
        SCOPED_TRACE(t + 1);
        EXPECT_EQ(ticks[t], want[t]);
    }
}

TEST(RTDataMgrFile, TitleLineIsNeverTheHeader)
{
    const auto ticks = PlayBytes("rpm\tmap\nA\tB\n1\t2\n", {"rpm", "a"}, 1);
    EXPECT_EQ(ticks[0], (std::vector<double>{kAbsent, 1}));
}

// Files the format does not describe: nothing is invented and nothing crashes;
// names without a column, or without a record yet, are removed every tick.
TEST(RTDataMgrFile, FilesWithoutHeaderOrRecords)
{
    struct Case {
        const char* label;
        std::string bytes;
        bool hasRpm; // HasValue("rpm")
    };
    const Case cases[] = {
        {"empty file", "", false},
        {"title only", "RPM\tMAP\n", false},
        {"title without line end", "RPM\tMAP", false},
        {"empty header line", "title\n\n1\t2\n3\t4\n", false},
        {"header of tabs", "title\n\t\t\n1\n", false},
        {"header only", "title\nRPM\tMAP\n", true},
        {"header, no complete record", "title\nRPM\tMAP\n1\n1\t2\t3\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        auto input = RTDataMgrFile::FromBytes(c.bytes);
        EXPECT_EQ(input->GetOpenResult(), 0);
        EXPECT_EQ(input->HasValue("rpm"), c.hasRpm);
        EXPECT_FALSE(input->HasValue("egt"));
        EXPECT_EQ(input->GetValue("rpm"), -1.0);
        for (const auto& tick : Play(*input, {"rpm", "map", ""}, 4))
            EXPECT_EQ(tick, (std::vector<double>{kAbsent, kAbsent, kAbsent}));
        EXPECT_EQ(input->GetValue("rpm"), -1.0);
    }
}

TEST(RTDataMgrFile, UnreadableFileServesNothing)
{
    const char* paths[] = {"/nonexistent/tarn/datalog.log", "", "/"};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        RTDataMgrFile input(path);
        EXPECT_NE(input.GetOpenResult(), 0);
        EXPECT_FALSE(input.HasValue("rpm"));
        EXPECT_FALSE(input.HasValue(""));
        for (const auto& tick : Play(input, {"rpm", "RPM"}, 3))
            EXPECT_EQ(tick, (std::vector<double>{kAbsent, kAbsent}));
        EXPECT_EQ(input.GetValue("rpm"), -1.0);
    }
}

TEST(RTDataMgrFile, BeforeTheFirstRecord)
{
    auto input = RTDataMgrFile::FromBytes("t\nRPM\tMAP\n800\t30\n");
    EXPECT_TRUE(input->HasValue("rpm"));
    EXPECT_EQ(input->GetValue("rpm"), -1.0); // nothing read yet, nothing made up
    EXPECT_FALSE(input->HasRecord());
    Play(*input, {"rpm"}, 1);
    EXPECT_EQ(input->GetValue("rpm"), 800.0);
    EXPECT_EQ(input->GetValue("MAP"), 30.0);
}

TEST(RTDataMgrFile, MissingNameIsTracedAndAnswersMinusOne)
{
    auto input = RTDataMgrFile::FromBytes("t\nRPM\n800\n");
    Play(*input, {"rpm"}, 1);
    LogCapture log;
    EXPECT_EQ(input->GetValue("egt"), -1.0);
    EXPECT_TRUE(log.contains("symbol not found : egt"));
    log.clear();
    Play(*input, {"rpm", "egt"}, 1);
    EXPECT_TRUE(log.contains("rpm"));
    EXPECT_TRUE(log.contains("egt"));
}

TEST(RTDataMgrFile, RemovingNamesKeepsTheWalkIntact)
{
    // Many names, every other one unknown, so removals fall all over the map.
    std::string header, record;
    std::vector<wxString> names;
    for (int i = 0; i < 60; ++i) {
        header += "c" + std::to_string(i) + "\t";
        record += std::to_string(i) + "\t";
        names.push_back(wxString::Format("c%d", i));
        names.push_back(wxString::Format("x%d", i));
    }
    const auto ticks = PlayBytes("t\n" + header + "\n" + record + "\n", names, 1);
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(ticks[0][i], i % 2 == 0 ? static_cast<double>(i / 2) : kAbsent);
    }
}

TEST(RTDataMgrFile, LineEndingsAndEncodings)
{
    struct Case {
        const char* label;
        std::string bytes;
        const char* name;
        std::vector<double> want; // two ticks
    };
    const Case cases[] = {
        {"CR LF", "t\r\nRPM\tMAP\r\n1\t2\r\n3\t4\r\n", "map", {2, 4}},
        {"CR only", "t\rRPM\tMAP\r1\t2\r3\t4\r", "map", {2, 4}},
        {"no final line end", "t\nRPM\tMAP\n1\t2\n3\t4", "map", {2, 4}},
        {"UTF-8 byte order mark", "\xEF\xBB\xBFt\nRPM\tMAP\n1\t2\n3\t4\n", "map", {2, 4}},
        {"Latin-1 header", "t\nTemp\xB0" "C\tRPM\n20\t900\n21\t950\n", "TEMP\xC2\xB0" "c", {20, 21}},
        {"UTF-8 header", "t\nTemp\xC2\xB0" "C\tRPM\n20\t900\n21\t950\n", "temp\xC2\xB0" "C", {20, 21}},
        {"Latin-1 title and units", "\xE9t\xE9\nRPM\tMAT\n1\t2\xB0\n3\t4\xB0\n", "mat", {2, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const auto ticks = PlayBytes(c.bytes, {wxString::FromUTF8(c.name)}, 2);
        EXPECT_EQ(ticks[0][0], c.want[0]);
        EXPECT_EQ(ticks[1][0], c.want[1]);
    }
}

TEST(RTDataMgrFile, ReadsFromAFile)
{
    const TempDir dir;
    RTDataMgrFile input(dir.write("drive.log", "title\r\nRPM\tMAP\r\n900\t35\r\n950\t36\r\n"));
    EXPECT_EQ(input.GetOpenResult(), 0);
    EXPECT_EQ(input.GetKind(), 2);
    EXPECT_EQ(input.getLineIndex(), 1); // stands on the header
    const auto ticks = Play(input, {"rpm", "map"}, 3);
    EXPECT_EQ(ticks[0], (std::vector<double>{900, 35}));
    EXPECT_EQ(ticks[2], (std::vector<double>{950, 36}));
}

TEST(RTDataMgrFile, GaugesThroughTheDispatcher)
{
    FakeGauge rpm("rpm"), egt("egt"), map("map"), rpm2("RPM");
    GaugeUpdater hub;
    hub.AddGauge(&rpm);
    hub.AddGauge(&egt);
    hub.AddGauge(&map);
    hub.AddGauge(&rpm2);
    auto input = RTDataMgrFile::FromBytes("drive\n"
                                          "RPM\tMAP\n"
                                          "bad\n" // no record yet on the first tick
                                          "900\t35\n"
                                          "1500\t50\n");
    hub.SetInput(input.get());
    EXPECT_TRUE(hub.IsValueAvailable("Rpm"));
    EXPECT_FALSE(hub.IsValueAvailable("egt"));

    for (int t = 0; t < 5; ++t)
        hub.Update();

    // No number before the first record, none ever for the unknown "egt";
    // the last record stays once the file has ended.
    const double none = FakeGauge::kNone;
    EXPECT_EQ(rpm.Shown(), (std::vector<double>{none, 900, 1500, 1500, 1500}));
    EXPECT_EQ(rpm2.Shown(), rpm.Shown());
    EXPECT_EQ(map.Shown(), (std::vector<double>{none, 35, 50, 50, 50}));
    EXPECT_EQ(egt.Shown(), std::vector<double>(5, none));
    EXPECT_EQ(hub.GetValue("map"), 50.0);
}
