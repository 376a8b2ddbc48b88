#include "datalog/DatalogLoader.h"
#include "tests/datalog/BinaryLogBuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

std::unique_ptr<Datalog> Load(const std::string& bytes)
{
    return DatalogLoader::FromBytes(bytes, "run.mlg");
}

bool HasProblem(const Datalog& log, const std::string& text)
{
    for (const wxString& problem : log.Problems())
        if (problem.find(text) != wxString::npos)
            return true;
    return false;
}

} // namespace

TEST(BinaryLog, DecodesEveryFieldType)
{
    struct Case {
        BinaryField field;
        double raw;
        double want;
    };
    const Case cases[] = {
        {{0, "u8", ""}, 200, 200},
        {{1, "s8", ""}, -5, -5},
        {{2, "AFR", "O2", 0.1f, 0, 1}, 147, 14.7},
        {{3, "CLT", "C", 0.1f, -400, 1}, 1000, 60.0},
        {{4, "u32", ""}, 4000000000.0, 4000000000.0},
        {{5, "s32", ""}, -70000, -70000},
        {{6, "s64", ""}, -5000000000000.0, -5000000000000.0},
        {{7, "Time", "s", 1, 0, 3}, 12.5, 12.5},
        {{7, "IAT", "C", 1, 0, 0}, 21.6, 22},    // shown rounded to its digits
        {{2, "Dwell", "ms", 0.001f, 0, -1}, 3456, 3456 * static_cast<double>(0.001f)}, // no rounding
        {{10, "bits8", ""}, 0xA5, 0xA5},         // bit fields: raw, no scale
        {{11, "bits16", ""}, 0xBEEF, 0xBEEF},
        {{12, "bits32", ""}, 4294967295.0, 4294967295.0},
    };
    for (int version : {1, 2}) {
        std::vector<BinaryField> fields;
        std::vector<double> raws;
        for (const Case& c : cases) {
            fields.push_back(c.field);
            raws.push_back(c.raw);
        }
        BinaryLogBuilder builder(version, fields);
        builder.AddRecord(raws);
        const auto log = Load(builder.Bytes());
        SCOPED_TRACE(version);
        ASSERT_TRUE(log->GetRefusal().empty()) << log->GetRefusal();
        EXPECT_EQ(log->Describe(), wxString::Format("binary log version %d", version));
        ASSERT_EQ(log->RecordCount(), 1u);
        ASSERT_EQ(log->Columns().size(), std::size(cases));
        for (size_t i = 0; i < std::size(cases); ++i) {
            SCOPED_TRACE(cases[i].field.name);
            EXPECT_EQ(log->Columns()[i].name, cases[i].field.name);
            EXPECT_DOUBLE_EQ(log->Value(0, i), cases[i].want);
        }
        EXPECT_EQ(log->Columns()[3].units, "C");
        EXPECT_EQ(log->GetTimeColumn(), 7);
        EXPECT_EQ(log->Titles(), (std::vector<wxString>{"test firmware 1.0",
                                                         "Capture Date: Tue Sep 01 21:25:42 UTC 2020"}));
        EXPECT_TRUE(log->Problems().empty());
    }
}

TEST(BinaryLog, MarkersSitBetweenRecordsAndNamesAreTrimmed)
{
    BinaryLogBuilder builder(2, {{2, "  RPM ", "rpm"}, {7, "F", ""}});
    builder.AddRecord({900, std::nan("")});
    builder.AddMarker("Going Offline");
    builder.AddRecord({950, 1.5});
    builder.AddMarker("the end");
    const auto log = Load(builder.Bytes());
    ASSERT_EQ(log->RecordCount(), 2u);
    EXPECT_EQ(log->Columns()[0].name, "RPM");
    EXPECT_EQ(log->GetTimeColumn(), -1);
    EXPECT_TRUE(std::isnan(log->Value(0, 1))); // a NaN in the log is no value
    EXPECT_EQ(log->Value(1, 0), 950);
    ASSERT_EQ(log->Markers().size(), 2u);
    EXPECT_EQ(log->Markers()[0].beforeRecord, 1u);
    EXPECT_EQ(log->Markers()[0].text, "Going Offline");
    EXPECT_EQ(log->Markers()[1].beforeRecord, 2u);
}

// Each fault names the file and the offset; every whole record before it is kept.
TEST(BinaryLog, BadInput)
{
    BinaryLogBuilder builder(2, {{2, "RPM", "rpm"}, {3, "MAP", "kPa", 0.1f, 0, 1}});
    for (int r = 1; r <= 3; ++r)
        builder.AddRecord({900.0 * r, 300.0 * r});
    const std::string good = builder.Bytes();
    const size_t data = builder.DataOffset();
    const size_t block = builder.RecordBlockSize();
    auto with = [&](size_t at, std::string bytes) { return std::string(good).replace(at, bytes.size(), bytes); };

    struct Case {
        const char* label;
        std::string bytes;
        bool refused;
        size_t records;
        std::string problem;
        size_t leftover;
    };
    const Case cases[] = {
        {"wrong magic", with(3, "X"), true, 0, "run.mlg: offset 0: not a binary log", 0},
        {"NUL bytes only", std::string(64, '\0'), true, 0, "offset 0: not a binary log", 0},
        {"version 3", with(6, std::string("\0\3", 2)), true, 0, "offset 6: binary log version 3", 0},
        {"header cut short", good.substr(0, 10), true, 0, "offset 10: the file ends inside the header", 0},
        {"descriptors past the end", with(22, "\x03\xE8"), true, 0, "offset 24: the descriptors of 1000 fields", 0},
        {"fields and record length disagree", with(20, std::string("\0\5", 2)), true, 0,
         "offset 20: the 2 fields take 4 bytes, but the record length is 5", 0},
        {"1 GB bogus data offset", with(16, std::string("\x40\0\0\0", 4)), true, 0, "first data block at offset 1073741824", 0},
        {"cut-off last block", good.substr(0, good.size() - 3), false, 2,
         "offset " + std::to_string(data + 2 * block) + ": the last block is cut off; " +
             std::to_string(block - 3) + " bytes left over",
         block - 3},
        {"unknown block type", with(data + block, "\x07"), false, 1,
         "offset " + std::to_string(data + block) + ": unknown block type 7", 2 * block},
        {"bad check byte", with(data + 2 * block - 1, "\x55"), false, 2,
         "offset " + std::to_string(data + block) + ": check byte 85", 0},
        {"one unknown field type, sized by the record length", with(24, "\x10"), false, 3,
         "offset 24: field 1 (\"RPM\") has the unknown type 16; its 2 bytes are skipped", 0},
        {"two unknown field types", with(24, "\x10").replace(24 + 89, 1, "\x11"), true, 0,
         "offset 24: field 1 (\"RPM\") has the unknown type 16", 0},
        {"header without records", good.substr(0, data), false, 0, "offset " + std::to_string(data) + ": no record", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(DatalogLoader::Sniff(c.bytes), Datalog::Format::Binary);
        const auto log = Load(c.bytes);
        EXPECT_EQ(!log->GetRefusal().empty(), c.refused);
        EXPECT_EQ(log->RecordCount(), c.records);
        EXPECT_TRUE(HasProblem(*log, c.problem)) << (log->Problems().empty() ? "" : log->Problems()[0]);
        EXPECT_EQ(log->GetLeftoverBytes(), c.leftover);
        if (c.refused) {
            EXPECT_TRUE(log->Columns().empty());
        }
        if (c.records > 0) {
            EXPECT_EQ(log->Value(0, 1), 30.0); // the first record is intact
            EXPECT_EQ(std::isnan(log->Value(0, 0)), good[24] != c.bytes[24]); // a skipped field has no value
        }
    }
}
