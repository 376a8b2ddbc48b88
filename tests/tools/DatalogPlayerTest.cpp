#include "tools/tarn-ecu-sim/DatalogPlayer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

TEST(DatalogPlayer, SplitsAtTabsWithRunsAsOneSeparator)
{
    struct Case {
        const char* line;
        std::vector<const char*> want;
    };
    const Case cases[] = {
        {"a\tb\tc", {"a", "b", "c"}},
        {"a\t\t\tb", {"a", "b"}},
        {"\ta\tb\t", {"a", "b"}},
        {"a b\tc", {"a b", "c"}},
        {"", {}},
        {"\t\t", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::vector<wxString> fields = DatalogPlayer::SplitFields(c.line);
        ASSERT_EQ(fields.size(), c.want.size());
        for (size_t i = 0; i < fields.size(); ++i)
            EXPECT_EQ(fields[i], c.want[i]);
    }
}

TEST(DatalogPlayer, FieldsReadAsTheNumberTheyStartWith)
{
    struct Case {
        const char* field;
        double want;
    };
    const Case cases[] = {
        {"12.5kPa", 12.5}, {"n/a", 0.0}, {"-3", -3.0}, {"+4.5e2", 450.0},
        {"1,5", 1.0},      {".5", 0.5},  {"", 0.0},    {" 7", 7.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_DOUBLE_EQ(DatalogPlayer::FieldNumber(c.field), c.want);
    }
}

TEST(DatalogPlayer, PlaysRecordsInALoopSkippingMalformedLines)
{
    DatalogPlayer player;
    std::string error;
    ASSERT_TRUE(player.loadBytes("title\r\nTime\tRPM\tmap\r\n0\t800\t30\r\n1\t900\r\n\r\n"
                                 "2\t1000\t40\t9\r\n3\t1100\t50",
                                 error))
        << error;
    EXPECT_EQ(player.recordCount(), 2u);
    EXPECT_EQ(player.column("rpm"), 1);
    EXPECT_EQ(player.column("MAP"), 2);
    EXPECT_EQ(player.column("tps"), -1);
    const double wantRpm[] = {800, 1100, 800, 1100, 800};
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        player.advance();
        double rpm = -1;
        ASSERT_TRUE(player.value("rpm", rpm));
        EXPECT_EQ(rpm, wantRpm[i]);
    }
    double unknown = -1;
    EXPECT_FALSE(player.value("tps", unknown));
}

TEST(DatalogPlayer, FirstOfTwoColumnsWithTheSameNameWins)
{
    DatalogPlayer player;
    std::string error;
    ASSERT_TRUE(player.loadBytes("t\nRPM\trpm\n1\t2\n", error)) << error;
    player.advance();
    double rpm = 0;
    ASSERT_TRUE(player.value("rpm", rpm));
    EXPECT_EQ(rpm, 1.0);
}

TEST(DatalogPlayer, RefusesFilesWithoutHeaderOrRecords)
{
    struct Case {
        const char* label;
        std::string bytes;
        const char* errorPart;
    };
    const Case cases[] = {
        {"empty", "", "no header"},
        {"title only", "title\n", "no header"},
        {"header only", "title\nrpm\tmap\n", "no record"},
        {"records of the wrong width", "title\nrpm\tmap\n1\n1\t2\t3\n", "no record"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DatalogPlayer player;
        std::string error;
        EXPECT_FALSE(player.loadBytes(c.bytes, error));
        EXPECT_NE(error.find(c.errorPart), std::string::npos) << error;
    }
    DatalogPlayer player;
    std::string error;
    EXPECT_FALSE(player.load("/nonexistent/datalog.log", error));
    EXPECT_NE(error.find("/nonexistent/datalog.log"), std::string::npos);
}
