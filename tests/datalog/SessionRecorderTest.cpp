#include "datalog/DatalogLoader.h"
#include "datalog/RTDataMgrFile.h"
#include "datalog/SessionRecorder.h"
#include "definition/IniParser.h"
#include "definition/SymbolTable.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/resource.h>

namespace {

const wxDateTime kStart(6, wxDateTime::May, 2024, 7, 8, 9); // a Monday

std::string Contents(const wxString& path)
{
    std::ifstream in(static_cast<const char*>(path.fn_str()), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A folder that does not exist yet.
class TempFolder {
    const TempDir parent;

public:
    const wxString path = parent.file("rec");
};

std::vector<RecordedChannel> ThreeChannels()
{
    return {{"rpm", "rpm", 0}, {"map", "kPa", 1}, {"lambda", "", -1}};
}

} // namespace

TEST(RecordedChannels, FromTheDatalogSectionOrAllScalarChannels)
{
    std::unique_ptr<SymbolTable> sample(loadDefinitionFileFrom(TARN_SAMPLE_DIR "/tarnv3.ini"));
    const std::vector<RecordedChannel> channels = RecordedChannelsOf(*sample);
    ASSERT_EQ(channels.size(), sample->getDatalogEntries().size());
    for (size_t i = 0; i < channels.size(); ++i)
        EXPECT_EQ(channels[i].name, sample->getDatalogEntries()[i].a);
    EXPECT_EQ(channels[1].decimals, 0);  // rpm "%d"
    EXPECT_EQ(channels[2].units, "kPa"); // map "%.1f"
    EXPECT_EQ(channels[2].decimals, 1);

    SymbolTable table; // no [Datalog] section: every scalar output channel, in order
    auto add = [&](const char* name, double scale, bool constant, const char* expression) {
        Symbol* symbol = new Symbol;
        symbol->setIdentity(name, "u", constant, 0, 0);
        symbol->setScaling(scale, 0, 0, 0, 0);
        if (expression)
            symbol->setExpression(name, expression);
        table.addSymbol(name, symbol);
    };
    add("rpm", 1, false, nullptr);
    add("reqFuel", 0.1, true, nullptr);
    add("map", 0.1, false, nullptr);
    add("lambda", 1, false, "{ afr / 14.7 }");
    add("batt", 0.01, false, nullptr);
    add("odd", 1.0 / 3, false, nullptr);
    std::vector<std::pair<wxString, int>> got;
    for (const RecordedChannel& channel : RecordedChannelsOf(table))
        got.emplace_back(channel.name, channel.decimals);
    EXPECT_EQ(got, (std::vector<std::pair<wxString, int>>{{"rpm", 0}, {"map", 1}, {"batt", 2}, {"odd", -1}}));
}

TEST(RecordedChannels, DecimalsOfAFormat)
{
    struct Case {
        const char* format;
        int want;
    };
    const Case cases[] = {{"%d", 0},   {"%i", 0},    {"%.1f", 1},  {"%5.2f", 2}, {"%f", 6},   {"%-08.3f", 3},
                          {"%g", -1},  {"%.2e", -1}, {"%ld", 0},   {"", -2},     {"d", -2},   {"%", -2},
                          {"%.1f%%", -2}, {"%s", -2}, {"x%d", -2}, {"%.99f", 9}};
    for (const Case& c : cases)
        EXPECT_EQ(DecimalsOfFormat(c.format), c.want) << c.format;
}

TEST(SessionRecorder, WritesALogThatReplays)
{
    TempFolder folder;
    SessionRecorder recorder;
    ASSERT_TRUE(recorder.Start(folder.path + "/logs", "tarnv3.ini", ThreeChannels(), kStart)) << recorder.GetError();
    EXPECT_EQ(wxFileName(recorder.GetPath()).GetFullName(), "2024-05-06_07.08.09.msl");
    const double nan = std::nan("");
    EXPECT_TRUE(recorder.Append(0.0, {900, 35.44, 0.8512345678}));
    EXPECT_TRUE(recorder.Append(0.1, {950.4, -0.04, nan}));
    EXPECT_TRUE(recorder.Append(0.25, {1000, 100, 1e-7}));
    recorder.Stop();
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_TRUE(recorder.GetError().empty());

    const std::string want = "\"tarnv3.ini\"\n"
                             "\"Capture Date: Mon May 06 07:08:09 " +
                             std::string(kStart.Format("%Z").utf8_str()) +
                             " 2024\"\n"
                             "Time\trpm\tmap\tlambda\n"
                             "s\trpm\tkPa\t\n"
                             "0.000\t900\t35.4\t0.8512345678\n"
                             "0.100\t950\t0.0\t\n"
                             "0.250\t1000\t100.0\t1e-07\n";
    EXPECT_EQ(Contents(recorder.GetPath()), want);

    auto input = std::make_unique<RTDataMgrFile>(recorder.GetPath());
    EXPECT_EQ(input->GetLog().GetFormat(), Datalog::Format::Text);
    EXPECT_EQ(input->GetLog().RecordCount(), 3u);
    EXPECT_EQ(input->GetLog().GetTimeColumn(), 0);
    EXPECT_TRUE(std::isnan(input->GetLog().Value(1, 3))); // recorded without a value
    input->GetReplay().SetPacing(LogReplay::Pacing::ByTick);
    ValueMap values;
    input->setValueMap(&values);
    for (int t = 0; t < 3; ++t) {
        values["RPM"] = values["map"] = 0;
        input->Update();
    }
    EXPECT_EQ(values["RPM"], 1000);
    EXPECT_EQ(values["map"], 100);

    // A second recording in the same second takes the next name.
    SessionRecorder again;
    ASSERT_TRUE(again.Start(folder.path + "/logs", "tarnv3.ini", ThreeChannels(), kStart));
    EXPECT_EQ(wxFileName(again.GetPath()).GetFullName(), "2024-05-06_07.08.09-2.msl");
}

TEST(SessionRecorder, FlushesAtLeastOnceASecond)
{
    TempFolder folder;
    SessionRecorder recorder;
    ASSERT_TRUE(recorder.Start(folder.path, "x.ini", ThreeChannels(), kStart));
    const size_t header = Contents(recorder.GetPath()).size();
    EXPECT_EQ(header, SessionRecorder::HeaderText("x.ini", ThreeChannels(), kStart).size());
    struct Step {
        double seconds;
        size_t linesOnDisk;
    };
    const Step steps[] = {{10.0, 0}, {10.5, 0}, {10.99, 0}, {11.0, 4}, {11.9, 4}, {12.0, 6}, {11.5, 7}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.seconds);
        ASSERT_TRUE(recorder.Append(step.seconds, {1, 2, 3}));
        const std::string text = Contents(recorder.GetPath()).substr(header);
        EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')), step.linesOnDisk);
    }
}

TEST(SessionRecorder, AnHourAtTenHertz)
{
    TempFolder folder;
    SessionRecorder recorder;
    ASSERT_TRUE(recorder.Start(folder.path, "x.ini", ThreeChannels(), kStart));
    const int records = 36000;
    for (int r = 0; r < records; ++r)
        ASSERT_TRUE(recorder.Append(r * 0.1, {800.0 + r % 5000, 30 + r % 700 * 0.1, 1}));
    recorder.Stop();
    // Every line worked out: "T.ttt\tRRRR\tMM.M\t1\n".
    size_t expected = SessionRecorder::HeaderText("x.ini", ThreeChannels(), kStart).size();
    for (int r = 0; r < records; ++r) {
        const std::string time = std::to_string(r / 10) + "." + std::to_string(r % 10) + "00";
        expected += time.size() + 1 + std::to_string(800 + r % 5000).size() + 1 +
                    std::to_string(30 + r % 700 / 10).size() + 2 + 1 + 1 + 1;
    }
    EXPECT_EQ(wxFileName::GetSize(recorder.GetPath()), wxULongLong(expected));
    const DatalogLoader::Opened opened = DatalogLoader::FromFile(recorder.GetPath());
    EXPECT_EQ(opened.log->RecordCount(), static_cast<size_t>(records));
    EXPECT_EQ(opened.log->Time(records - 1), 3599.9);
}

TEST(SessionRecorder, FailuresStopItWithAMessage)
{
    TempFolder folder;
    ASSERT_TRUE(wxFileName::Mkdir(folder.path));
    const wxString notAFolder = folder.path + "/file";
    std::ofstream(static_cast<const char*>(notAFolder.fn_str())) << "x";
    SessionRecorder recorder;
    EXPECT_FALSE(recorder.Start(notAFolder + "/logs", "x.ini", ThreeChannels(), kStart));
    EXPECT_TRUE(recorder.GetError().StartsWith("Cannot record: cannot create the folder " + notAFolder + "/logs"))
        << recorder.GetError();
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_FALSE(recorder.Append(0, {1, 2, 3}));

    // A disk that fills up: the process may write no more than this.
    ASSERT_TRUE(recorder.Start(folder.path, "x.ini", ThreeChannels(), kStart));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    bool accepted = true;
    int appended = 0;
    for (; accepted && appended < 10000; ++appended)
        accepted = recorder.Append(appended * 0.1, {900, 35, 1});
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(accepted);
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_TRUE(recorder.GetError().StartsWith("Recording stopped: " + recorder.GetPath() + ": "))
        << recorder.GetError();
    EXPECT_FALSE(recorder.Append(1000, {1, 2, 3}));
    // What reached the disk replays; a cut last line is no record.
    const DatalogLoader::Opened opened = DatalogLoader::FromFile(recorder.GetPath());
    EXPECT_GT(opened.log->RecordCount(), 100u);
    EXPECT_EQ(opened.log->Value(opened.log->RecordCount() - 1, 1), 900);
    // No cut line: the file ends with its last whole record.
    const std::string cut = Contents(recorder.GetPath());
    EXPECT_EQ(cut.back(), '\n');
    EXPECT_EQ(static_cast<size_t>(std::count(cut.begin(), cut.end(), '\n')), opened.log->RecordCount() + 4);

    // Not even the header fits: no recording, and no empty file left.
    const wxString cutPath = recorder.GetPath();
    small.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool started = recorder.Start(folder.path, "x.ini", ThreeChannels(), kStart);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(started);
    EXPECT_TRUE(recorder.GetError().StartsWith("Cannot record: ")) << recorder.GetError();
    wxArrayString files;
    wxDir::GetAllFiles(folder.path, &files, "*.msl");
    EXPECT_EQ(files, wxArrayString(1, &cutPath));
}

// Whatever happens to the file or its folder, nothing recorded is lost and
// nothing is written where nobody can read it.
TEST(SessionRecorder, AFileOrFolderGoneOrReplacedMovesToANewFile)
{
    enum What { FileDeleted, FolderDeleted, FileReplaced, FolderReplacedByAFile };
    struct Case {
        What what;
        const char* said;
        bool goesOn;
    } cases[] = {{FileDeleted, " was deleted; the recording is now in ", true},
                 {FolderDeleted, " was deleted; the recording is now in ", true},
                 {FileReplaced, " was replaced; the recording is now in ", true},
                 {FolderReplacedByAFile, " was deleted, and the folder cannot be made again", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        TempFolder folder;
        SessionRecorder recorder;
        ASSERT_TRUE(recorder.Start(folder.path, "x.ini", ThreeChannels(), kStart));
        const wxString first = recorder.GetPath();
        ASSERT_TRUE(recorder.Append(0.0, {1, 2, 3}));
        ASSERT_TRUE(recorder.Append(1.0, {2, 2, 3})); // written out
        const std::string onDisk = Contents(first);
        const std::string stranger = "not a log\n";
        if (c.what == FolderDeleted || c.what == FolderReplacedByAFile)
            ASSERT_TRUE(wxFileName::Rmdir(folder.path, wxPATH_RMDIR_RECURSIVE));
        else
            ASSERT_TRUE(wxRemoveFile(first));
        if (c.what == FileReplaced)
            std::ofstream(static_cast<const char*>(first.fn_str())) << stranger;
        if (c.what == FolderReplacedByAFile)
            std::ofstream(static_cast<const char*>(folder.path.fn_str())) << stranger;

        EXPECT_EQ(recorder.Append(2.0, {3, 2, 3}), c.goesOn);
        EXPECT_EQ(recorder.IsRecording(), c.goesOn);
        EXPECT_NE(recorder.GetError().Find(c.said), wxNOT_FOUND) << recorder.GetError();
        if (c.what == FileReplaced || c.what == FolderReplacedByAFile) {
            EXPECT_EQ(Contents(c.what == FileReplaced ? first : folder.path), stranger);
        }
        if (!c.goesOn)
            continue;
        EXPECT_TRUE(recorder.Append(3.0, {4, 2, 3}));
        recorder.Stop();
        const std::string moved = Contents(recorder.GetPath());
        EXPECT_EQ(moved.substr(0, onDisk.size()), onDisk);
        const DatalogLoader::Opened opened = DatalogLoader::FromFile(recorder.GetPath());
        ASSERT_TRUE(opened.log);
        ASSERT_EQ(opened.log->RecordCount(), 4u);
        EXPECT_EQ(opened.log->Value(3, 1), 4);
    }
}
