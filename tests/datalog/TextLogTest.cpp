#include "datalog/DatalogLoader.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

using namespace std::string_literals;

namespace {

struct Cell {
    size_t record, column;
    double want;
};

std::string Join(const std::vector<DatalogColumn>& columns, bool units)
{
    std::string joined;
    for (size_t i = 0; i < columns.size(); ++i)
        joined += (i ? "|" : "") + std::string((units ? columns[i].units : columns[i].name).utf8_str());
    return joined;
}

} // namespace

TEST(TextLog, Layouts)
{
    struct Case {
        const char* label;
        std::string bytes;
        const char* names;
        const char* units;
        size_t records;
        std::vector<Cell> cells;
        std::vector<std::string> problems; // each expected in order, whole
    };
    const Case cases[] = {
        {"two titles, units, Latin-1 degree",
         "\"fw 1.0\"\n\"Capture Date: Sun Jan 20 02:30:41 EST 2013\"\nTime\tRPM\tCLT\ns\tRPM\t\xB0" "F\n"
         "105.169\t1054\t169.7\n105.236\t1043\t-2\n",
         "Time|RPM|CLT", "s|RPM|\xC2\xB0" "F", 2, {{0, 0, 105.169}, {1, 1, 1043}, {1, 2, -2}}, {}},
        {"no units line", "\"t\"\nTime\tRPM\n1\t900\n2\t950\n", "Time|RPM", "|", 2, {{1, 1, 950}}, {}},
        {"CR LF, empty unit cells", "\"t\"\r\n\"d\"\r\nTime\tRPM\tX\r\n\tRPM\t\r\n1\t2\t3\r\n", "Time|RPM|X",
         "|RPM|", 1, {{0, 2, 3}}, {}},
        {"semicolons, decimal comma", "\"t\"\nTime;RPM;AFR\ns;rpm;\n0,5;900;14,7\n", "Time|RPM|AFR", "s|rpm|", 1,
         {{0, 0, 0.5}, {0, 2, 14.7}}, {}},
        {"semicolons without titles, quoted header", "\"Time\";\"RPM\"\n0.1;900\n", "Time|RPM", "|", 1,
         {{0, 1, 900}}, {}},
        {"numbers with sign, exponent, blanks", "\"t\"\nA\tB\n -1.5e2 \t+3\n", "A|B", "|", 1,
         {{0, 0, -150}, {0, 1, 3}}, {}},
        {"lines that are not records", "\"t\"\nA\tB\n1\t2\n1\t2\t3\n1\tx\n\n9\t2\0\n1\tnan\n 4\t5\n"s, "A|B", "|", 2,
         {{1, 0, 4}},
         {"x.msl: line 4: 3 cells where the header has 2; not a record",
          "x.msl: line 5: \"x\" is not a number; not a record", "x.msl: line 7: a NUL byte; not a record",
          "x.msl: line 8: \"nan\" is not a number; not a record"}},
        {"header and units, no record", "\"t\"\nA\tB\ns\tx\n", "A|B", "s|x", 0, {},
         {"x.msl: line 4: no record after the header"}},
        {"title only", "\"t\"\n", "", "", 0, {}, {"x.msl: line 2: no header line"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(DatalogLoader::Sniff(c.bytes), Datalog::Format::Text);
        const auto log = DatalogLoader::FromBytes(c.bytes, "x.msl");
        EXPECT_EQ(Join(log->Columns(), false), c.names);
        if (!log->Columns().empty()) {
            EXPECT_EQ(Join(log->Columns(), true), c.units);
        }
        EXPECT_EQ(log->RecordCount(), c.records);
        for (const Cell& cell : c.cells)
            EXPECT_DOUBLE_EQ(log->Value(cell.record, cell.column), cell.want);
        std::vector<std::string> problems;
        for (const wxString& problem : log->Problems())
            problems.push_back(std::string(problem.utf8_str()));
        EXPECT_EQ(problems, c.problems);
    }
}

TEST(TextLog, TitlesMarkersAndTime)
{
    const auto log = DatalogLoader::FromBytes("\"fw\"\n\"Capture Date: x\"\nRPM\ttime\n\n"
                                              "MARK 000 - start\n900\t1.0\n950\t1.2\n"
                                              "MARK 001 - Going Offline: x\nMARK 002 - Going Online\n"
                                              "990\t12.5\n",
                                              "d.msl");
    EXPECT_EQ(log->Titles(), (std::vector<wxString>{"fw", "Capture Date: x"}));
    EXPECT_EQ(log->GetTimeColumn(), 1);
    ASSERT_EQ(log->RecordCount(), 3u);
    EXPECT_EQ(log->Time(2), 12.5);
    ASSERT_EQ(log->Markers().size(), 3u);
    const size_t before[] = {0, 2, 2};
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(log->Markers()[i].beforeRecord, before[i]);
    EXPECT_EQ(log->Markers()[1].text, "MARK 001 - Going Offline: x");
}

TEST(DatalogLoader, TellsTheFormatFromTheContent)
{
    struct Case {
        const char* label;
        std::string bytes;
        Datalog::Format want;
    };
    using F = Datalog::Format;
    const Case cases[] = {
        {"binary magic", std::string("MLVLG\0\0\1", 8), F::Binary},
        {"NUL near the start", std::string("MLVLX\0\0\1", 8), F::Binary},
        {"quoted title", "\"fw\"\nTime\tRPM\n", F::Text},
        {"byte order mark, quoted title", "\xEF\xBB\xBF\"fw\"\nTime\tRPM\n", F::Text},
        {"semicolon lines alike", "Time;RPM\n0.1;900\n", F::Text},
        {"own title and header", "drive\nTime\tRPM\n", F::Dashboard},
        {"own title with tabs", "rpm\tmap\nA\tB\n1\t2\n", F::Dashboard},
        {"header first, units", "Time\tRPM\ns\trpm\n0.1\t900\n", F::Text},
        {"header first, quoted, no units", "\"time\"\t\"RPM\"\n0.1\t900\n", F::Text},
        {"own title naming the time", "Time\ttaken today\nTime\tRPM\tMAP\n", F::Dashboard},
        {"own title with a semicolon", "a;b\nA\tB\n", F::Dashboard},
        {"title starting with a quote only", "\"drive\tone\"\nA\tB\n", F::Dashboard},
        {"empty", "", F::Dashboard},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(DatalogLoader::Sniff(c.bytes), c.want);
        EXPECT_EQ(DatalogLoader::FromBytes(c.bytes, "x")->GetFormat(), c.want);
    }
}

TEST(DatalogLoader, FilesThatCannotBeRead)
{
    struct Case {
        const char* path;
        int result;
    };
    const Case cases[] = {{"", -1}, {"/nonexistent/tarn/run.msl", -2}, {"/", -2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const DatalogLoader::Opened opened = DatalogLoader::FromFile(c.path);
        EXPECT_EQ(opened.result, c.result);
        ASSERT_TRUE(opened.log);
        EXPECT_FALSE(opened.log->GetRefusal().empty());
        EXPECT_EQ(opened.log->RecordCount(), 0u);
    }
}

// A header of millions of names would take memory out of all proportion to
// the file: past the column limit the log is refused; at it, it reads.
TEST(DatalogLoader, HeaderColumnLimit)
{
    auto header = [](size_t names, char separator) {
        std::string line = "c";
        for (size_t i = 1; i < names; ++i)
            line += std::string(1, separator) + "c";
        return line + "\n";
    };
    const std::string row = "1\n"; // too narrow: no record, but nothing refused
    struct Case {
        const char* label;
        std::string bytes;
        const char* refusal; // "" when the log reads
    };
    const size_t most = Datalog::kMaxColumns;
    const Case cases[] = {
        {"own format at the limit", "drive\n" + header(most, '\t') + row, ""},
        {"own format past it", "drive\n" + header(most + 1, '\t') + row,
         "x: line 2: the header names more than 65535 columns"},
        {"semicolons past it", header(most + 1, ';') + header(most + 1, ';'), "x: line 1: the header names more than 65535 columns"},
        {"quoted titles, tabs past it", "\"fw\"\n\"date\"\n" + header(most + 1, '\t') + row,
         "x: line 3: the header names more than 65535 columns"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const std::unique_ptr<Datalog> log = DatalogLoader::FromBytes(c.bytes, "x");
        EXPECT_EQ(log->GetRefusal(), c.refusal);
        EXPECT_EQ(log->Columns().size(), *c.refusal ? 0u : most);
        EXPECT_FALSE(log->HasValues(0));
    }
}

// A log read while it is written: a line cut inside a number ("9" of "900")
// is never a record; the line is left out with a message.
TEST(DatalogLoader, ALineCutWhileWrittenIsNoRecord)
{
    const TempDir dir;
    const std::string head = "\"fw\"\nTime\tRPM\ns\trpm\n0.0\t900\n";
    for (const std::string& tail : {std::string("0.1\t9"), std::string("0.1\t90"), std::string("0.1\t900\n")}) {
        SCOPED_TRACE(tail);
        const std::string path = dir.write("growing.msl", head + tail);
        const DatalogLoader::Opened opened = DatalogLoader::FromFile(path);
        const bool cut = tail.back() != '\n';
        ASSERT_EQ(opened.log->RecordCount(), cut ? 1u : 2u);
        for (size_t r = 0; r < opened.log->RecordCount(); ++r)
            EXPECT_EQ(opened.log->Value(r, 1), 900);
        const std::vector<wxString>& problems = opened.log->Problems();
        EXPECT_EQ(std::any_of(problems.begin(), problems.end(),
                              [](const wxString& p) { return p.Contains("has no line end"); }),
                  cut);
    }
}
