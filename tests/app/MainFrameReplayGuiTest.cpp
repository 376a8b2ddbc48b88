// The main frame's replay controls, its log chooser and its recording of the
// live session, end to end under Xvfb: real keys, the ECU simulator on a pty.
#include "app/LogFileChooser.h"
#include "app/MainFrame.h"
#include "app/StatusStrip.h"
#include "datalog/LogReplay.h"
#include "datalog/RecordedChannel.h"
#include "definition/SymbolTable.h"
#include "dispatch/GaugeUpdater.h"
#include "ecu/RTDataMgrSerial.h"
#include "gauges/GaugeValueSelector.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/app/FrameDriver.h"
#include "tests/support/SimProcess.h"
#include "tests/gauges/GuiClick.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/menu.h>
#include <wx/uiaction.h>

#include <cmath>
#include <csignal>
#include <fstream>
#include <map>
#include <sys/resource.h>

namespace {

// The dashboard's own format without a Time column: one record per tick,
// 100 ms each; record i has rpm 10 i and map i.
const char kStepLog[] = "steps.log";
const int kStepRecords = 400;

class MainFrameReplayTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_sim = new SimProcess({"--ini", std::string(TARN_SAMPLE_DIR) + "/tarnv3.ini"});
        ASSERT_TRUE(s_sim->ok());
        s_work = s_sim->dir.path;
        std::ifstream ini(std::string(TARN_SAMPLE_DIR) + "/tarnv3.ini", std::ios::binary);
        std::ofstream(s_work + "/tarnv3.ini", std::ios::binary) << ini.rdbuf();
        std::ofstream steps(s_work + "/" + kStepLog);
        steps << "steps\nrpm\tmap\n";
        for (int i = 0; i < kStepRecords; ++i)
            steps << i * 10 << "\t" << i << "\n";
        steps.close();
        ASSERT_TRUE(wxSetWorkingDirectory(s_work));
        s_frame = new MainFrame("V3 GUI for WinCE"); // 240 x 320
        s_frame->Show();
        ASSERT_TRUE(WaitShownOnScreen(s_frame));
    }

    static void TearDownTestSuite()
    {
        if (s_frame)
            s_frame->Destroy();
        wxTheApp->ProcessIdle();
        s_frame = nullptr;
        delete s_sim;
        s_sim = nullptr;
    }

    void TearDown() override { Select(ID_INPUT_NONE); }

    static void Select(long id) { SelectInput(s_frame, id); }
    static void Tick() { ::Tick(s_frame); }

    static void Record(bool on)
    {
        s_frame->GetMenuBar()->Check(ID_RECORD, on);
        wxCommandEvent event(wxEVT_MENU, ID_RECORD);
        event.SetInt(on);
        s_frame->ProcessWindowEvent(event);
    }

    static RTDataMgrSerial* Ecu()
    {
        return dynamic_cast<RTDataMgrSerial*>(s_frame->GetDispatcher()->GetInput());
    }

    // The ECU input with live values, ticked by hand from here.
    static void StartEcu()
    {
        Select(ID_INPUT_ECU);
        s_frame->GetTimer().Stop();
        ASSERT_TRUE(WaitFor(
            [] {
                Tick();
                Ecu()->waitForFetch();
                return Ecu()->getRecordSequence() > 0;
            },
            15000));
    }

    // One tick that takes a record fetched since the last one.
    static void FreshTick()
    {
        Ecu()->waitForFetch();
        Tick();
    }

    struct Chosen {
        wxRect shownAt;     // where the chooser was on the screen
        bool wentUpAndBack; // ".." led to the parent, its entry back
    };
    // Picks `path` (in the working folder or below it) in the chooser that
    // File > Open log... opens, going up and down folders as a user would.
    static Chosen OpenLog(const wxString& path)
    {
        Chosen chosen{wxRect(), false};
        wxTheApp->CallAfter([&] {
            LogFileChooser* chooser =
                dynamic_cast<LogFileChooser*>(wxWindow::FindWindowByName("LogFileChooser"));
            if (!chooser)
                return;
            chosen.shownAt = chooser->GetScreenRect();
            // It starts where the last log was: an earlier test may have left one elsewhere.
            if (chooser->GetFolder() != s_work)
                chooser->ShowFolder(s_work);
            auto enter = [&](const wxString& entry) {
                chooser->GetList()->SetStringSelection(entry);
                chooser->OpenSelected();
            };
            const wxFileName work = wxFileName::DirName(s_work);
            wxFileName parent = work;
            parent.RemoveLastDir();
            enter("..");
            const bool up = chooser->GetFolder() == parent.GetPath();
            enter(work.GetDirs().Last() + "/");
            chosen.wentUpAndBack = up && chooser->GetFolder() == s_work;
            wxFileName file(path);
            file.MakeRelativeTo(s_work);
            for (const wxString& folder : file.GetDirs())
                enter(folder + "/");
            if (!chooser->GetList()->SetStringSelection(file.GetFullName())) {
                ADD_FAILURE() << path << " is not listed in " << chooser->GetFolder();
                chooser->EndModal(wxID_CANCEL);
                return;
            }
            wxCommandEvent open(wxEVT_BUTTON, wxID_OPEN);
            chooser->FindWindow(wxID_OPEN)->ProcessWindowEvent(open);
        });
        wxCommandEvent open(wxEVT_MENU, ID_OPEN_LOG);
        s_frame->ProcessWindowEvent(open); // returns when the chooser closes
        return chosen;
    }

    static double Shown(const char* name)
    {
        const ValueMap& values = s_frame->GetDispatcher()->GetValues();
        const auto it = values.find(name);
        return it == values.end() ? NAN : it->second;
    }

    static SimProcess* s_sim;
    static std::string s_work;
    static MainFrame* s_frame;
};

SimProcess* MainFrameReplayTest::s_sim = nullptr;
std::string MainFrameReplayTest::s_work;
MainFrame* MainFrameReplayTest::s_frame = nullptr;

} // namespace

// Each key acts at once, wherever the focus is in the frame; each tick then
// plays on from where it left the replay.
TEST_F(MainFrameReplayTest, KeysPauseSpeedSeekAndStopAtTheEnd)
{
    const Chosen chosen = OpenLog(s_work + "/" + kStepLog);
    EXPECT_TRUE(s_frame->GetScreenRect().Contains(chosen.shownAt)) << "the chooser fits the 240 x 320 frame";
    EXPECT_TRUE(chosen.wentUpAndBack);
    EXPECT_EQ(s_frame->GetDatalogFile(), s_work + "/" + kStepLog);
    ASSERT_TRUE(s_frame->GetMenuBar()->IsChecked(ID_INPUT_FILE));
    ASSERT_TRUE(s_frame->GetTimer().IsRunning());
    s_frame->GetTimer().Stop();
    Tick();
    LogReplay* replay = ReplayOf(s_frame);
    ASSERT_NE(replay, nullptr);
    ASSERT_EQ(replay->GetRecord(), 0u);

    struct Step {
        int key;     // pressed `presses` times, then `ticks` ticks
        int presses;
        int ticks;
        size_t record;
        const char* strip;
    } const steps[] = {
        {WXK_RIGHT, 1, 0, 100, "steps.log  0:10 / 0:39  x1"},
        {WXK_RIGHT, 1, 0, 200, "steps.log  0:20 / 0:39  x1"},
        {WXK_LEFT, 1, 0, 100, "steps.log  0:10 / 0:39  x1"},
        {WXK_HOME, 1, 0, 0, "steps.log  0:00 / 0:39  x1"},
        {'+', 1, 1, 2, "steps.log  0:00 / 0:39  x2"},
        {'-', 2, 2, 3, "steps.log  0:00 / 0:39  x1/2"},
        {WXK_SPACE, 1, 3, 3, "steps.log  0:00 / 0:39  x1/2  Paused"},
        {WXK_SPACE, 1, 2, 4, "steps.log  0:00 / 0:39  x1/2"},
        {WXK_RIGHT, 1, 0, 104, "steps.log  0:10 / 0:39  x1/2"},
        {WXK_RIGHT, 4, 0, 399, "steps.log  0:39 / 0:39  x1/2  End of log"},
        {'+', 1, 5, 399, "steps.log  0:39 / 0:39  x1  End of log"},
    };
    wxWindow* const focused[] = {s_frame->GetAnalogGauge(), s_frame->GetDigitalGauge(2), s_frame};
    wxUIActionSimulator sim;
    const wxPoint over = s_frame->GetAnalogGauge()->GetScreenRect().GetBottomLeft() + wxPoint(3, -3);
    sim.MouseMove(over); // keys go to the window under the pointer
    ASSERT_TRUE(WaitFor([&] { return wxGetMousePosition() == over; }));
    size_t at = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.strip);
        focused[at++ % 3]->SetFocus();
        for (int i = 0; i < step.presses; ++i) {
            sim.Char(step.key);
            // A move sent after the key: once it arrives, the key has been handled.
            ASSERT_TRUE(PointerArrivesAt(sim, over));
            ASSERT_TRUE(WaitForQueuedEvents());
        }
        for (int i = 0; i < step.ticks; ++i)
            Tick();
        EXPECT_EQ(replay->GetRecord(), step.record);
        EXPECT_EQ(Shown("map"), double(step.record)) << "the gauges show where the replay stands";
        EXPECT_EQ(s_frame->GetStatusStrip()->GetText(), step.strip);
        EXPECT_EQ(s_frame->GetMenuBar()->IsChecked(ID_REPLAY_PAUSE), replay->IsPaused());
    }

    // Keys typed in a gauge's value selector stay there.
    Select(ID_INPUT_FILE);
    s_frame->GetTimer().Stop();
    Tick();
    TarnGaugeDigital* gauge = s_frame->GetDigitalGauge(0);
    ASSERT_TRUE(ClickOn(gauge, wxPoint(60, 25)));
    ASSERT_TRUE(WaitFor([&] { return gauge->GetSelector()->IsShown(); }));
    wxListBox* list = gauge->GetSelector()->GetListBox();
    const wxPoint inList = list->GetScreenRect().GetTopLeft() + wxPoint(5, 5);
    sim.MouseMove(inList);
    ASSERT_TRUE(WaitFor([&] { return wxGetMousePosition() == inList; }));
    list->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return list->HasFocus(); }));
    sim.Char(WXK_RIGHT);
    sim.Char('+');
    // A move sent after the keys (back over the dial, which shows no list):
    // once it arrives, the keys have been handled.
    ASSERT_TRUE(PointerArrivesAt(sim, over));
    ASSERT_TRUE(WaitForQueuedEvents());
    EXPECT_EQ(ReplayOf(s_frame)->GetRecord(), 0u);
    EXPECT_EQ(ReplayOf(s_frame)->GetSpeedText(), "x1");
    gauge->GetSelector()->Hide();
}

// A recorded session replays through the File input with the values the
// gauges showed live, to the digits the definition file's [Datalog] keeps.
TEST_F(MainFrameReplayTest, RecordingReplaysTheValuesShownLive)
{
    EXPECT_FALSE(s_frame->GetMenuBar()->IsEnabled(ID_RECORD)) << "nothing to record without the ECU";
    StartEcu();
    ASSERT_TRUE(s_frame->GetMenuBar()->IsEnabled(ID_RECORD));
    Record(true);
    ASSERT_TRUE(RecordingOf(s_frame)->IsRecording()) << s_frame->GetStatusStrip()->GetText();
    EXPECT_TRUE(s_frame->GetStatusStrip()->GetText().EndsWith(", recording"));

    const char* const names[] = {"rpm", "map", "spark", "lambda", "dwell"};
    std::vector<std::vector<double>> live;
    for (int i = 0; i < 12; ++i) {
        const uint64_t before = Ecu()->getRecordSequence();
        FreshTick();
        ASSERT_NE(Ecu()->getRecordSequence(), before);
        live.emplace_back();
        for (const char* name : names)
            live.back().push_back(Shown(name));
    }
    const wxString path = RecordingOf(s_frame)->GetPath();
    Record(false);
    EXPECT_FALSE(RecordingOf(s_frame)->IsRecording());
    EXPECT_EQ(wxFileName(path).GetPath(), s_work + "/logs");

    std::map<wxString, int> decimals;
    for (const RecordedChannel& channel : RecordedChannelsOf(*currentSymbolTable()))
        decimals[channel.name] = channel.decimals;
    OpenLog(path);
    EXPECT_EQ(s_frame->GetDatalogFile(), path);
    ASSERT_TRUE(s_frame->GetMenuBar()->IsChecked(ID_INPUT_FILE));
    EXPECT_FALSE(s_frame->GetMenuBar()->IsEnabled(ID_RECORD));
    s_frame->GetTimer().Stop();
    ReplayOf(s_frame)->SetPacing(LogReplay::Pacing::ByTick);
    for (size_t row = 0; row < live.size(); ++row) {
        Tick();
        for (size_t i = 0; i < std::size(names); ++i) {
            SCOPED_TRACE(testing::Message() << "record " << row << " " << names[i]);
            ASSERT_TRUE(decimals.count(names[i]));
            const double tolerance = 0.5 * std::pow(10.0, -decimals[names[i]]) + 1e-9;
            EXPECT_NEAR(Shown(names[i]), live[row][i], tolerance);
        }
    }
    Tick();
    EXPECT_TRUE(ReplayOf(s_frame)->IsAtEnd());
    EXPECT_TRUE(s_frame->GetStatusStrip()->GetText().EndsWith("End of log"));
}

// A recording that cannot be written stops with a message in the strip; the
// dashboard goes on showing live values.
TEST_F(MainFrameReplayTest, RecordingThatCannotBeWrittenSaysSoAndTheDashboardGoesOn)
{
    // A file where the folder should be; a disk that fills up (the process
    // may write no more than a few records).
    const std::string blocked = s_work + "/blocked";
    ASSERT_TRUE(wxFileName::Mkdir(blocked));
    std::ofstream(blocked + "/logs") << "not a folder";
    struct Case {
        const char* name;
        std::string workDir;
        bool fillDisk;
        wxString message;
    } const cases[] = {
        {"unwritable folder", blocked, false, "Cannot record: cannot create the folder " + blocked + "/logs"},
        {"full disk", s_work, true, "Recording stopped: " + s_work + "/logs/"},
    };
    std::signal(SIGXFSZ, SIG_IGN);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(wxSetWorkingDirectory(c.workDir));
        StartEcu();
        Record(true);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        if (c.fillDisk) {
            rlimit small = old;
            small.rlim_cur = 1024;
            setrlimit(RLIMIT_FSIZE, &small);
        }
        for (int i = 0; i < 40 && RecordingOf(s_frame)->IsRecording(); ++i)
            FreshTick();
        setrlimit(RLIMIT_FSIZE, &old);
        StatusStrip* strip = s_frame->GetStatusStrip();
        EXPECT_TRUE(strip->GetText().StartsWith(c.message)) << strip->GetText();
        EXPECT_EQ(strip->GetMark(), StatusStrip::Mark::Bad);
        EXPECT_FALSE(s_frame->GetMenuBar()->IsChecked(ID_RECORD));
        // Live values go on reaching the gauges; the message stays.
        const uint64_t before = Ecu()->getRecordSequence();
        FreshTick();
        EXPECT_NE(Ecu()->getRecordSequence(), before);
        EXPECT_FALSE(s_frame->GetAnalogGauge()->GetSnapshot().stale);
        EXPECT_TRUE(strip->GetText().StartsWith(c.message));
        Select(ID_INPUT_NONE);
    }
    std::signal(SIGXFSZ, SIG_DFL);
    ASSERT_TRUE(wxSetWorkingDirectory(s_work));
}

// A file that is no log leaves the replay as it was and says why in the
// strip; another log starts with every gauge blank.
TEST_F(MainFrameReplayTest, NoLogIsRefusedAndAnotherLogStartsBlank)
{
    const wxString steps = s_work + "/" + kStepLog;
    OpenLog(steps);
    s_frame->GetTimer().Stop();
    Tick();
    RTDataMgr* const replaying = s_frame->GetDispatcher()->GetInput();
    ASSERT_TRUE(s_frame->GetAnalogGauge()->GetSnapshot().hasValue);
    struct Case {
        const char* file;
        std::string bytes;
    } const cases[] = {
        {"empty.log", ""},
        {"filelog.txt", "10:00:00: start\n10:00:00: ---parse tarnv3 start\n"},
        {"program.mlg", std::string("\x7f" "ELF\x02\x01\x01\0", 8) + std::string(64, '\x01')},
        {"foreign.msl", "\"fw\"\nZork\tQux\n1\t2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = s_work + "/" + c.file;
        std::ofstream(path, std::ios::binary) << c.bytes;
        OpenLog(path);
        EXPECT_EQ(s_frame->GetDispatcher()->GetInput(), replaying);
        EXPECT_EQ(s_frame->GetDatalogFile(), steps);
        EXPECT_TRUE(s_frame->GetMenuBar()->IsChecked(ID_INPUT_FILE));
        const StatusStrip* strip = s_frame->GetStatusStrip();
        EXPECT_EQ(strip->GetMark(), StatusStrip::Mark::Bad);
        EXPECT_NE(strip->GetText().Find(c.file), wxNOT_FOUND) << strip->GetText();
    }

    std::ofstream(s_work + "/spark.log") << "t\nspark\n7\n";
    OpenLog(s_work + "/spark.log");
    EXPECT_FALSE(s_frame->GetAnalogGauge()->GetSnapshot().hasValue); // before any tick
    Tick();
    EXPECT_FALSE(s_frame->GetAnalogGauge()->GetSnapshot().hasValue);
    EXPECT_TRUE(std::isnan(Shown("rpm")));
    EXPECT_EQ(Shown("spark"), 7);
}

// A log faster than the ticks replays at its own rate, 30 frames a second at
// most; slowed down, it ticks slower from the next tick on.
TEST_F(MainFrameReplayTest, AFastLogTicksAtItsOwnRate)
{
    const std::string path = s_work + "/fifty-hertz.msl";
    {
        std::ofstream out(path);
        out << "\"fw\"\nTime\trpm\tmap\ns\trpm\tkPa\n";
        for (int i = 0; i < 500; ++i)
            out << i * 0.02 << "\t" << i << "\t" << i % 100 << "\n";
    }
    OpenLog(path);
    ASSERT_TRUE(s_frame->GetMenuBar()->IsChecked(ID_INPUT_FILE));
    EXPECT_EQ(s_frame->GetTimer().GetInterval(), ReplaySession::kFastestPeriodMs);
    wxCommandEvent slower(wxEVT_MENU, ID_REPLAY_SLOWER);
    s_frame->ProcessWindowEvent(slower);
    s_frame->ProcessWindowEvent(slower);
    Tick();
    EXPECT_EQ(s_frame->GetTimer().GetInterval(), 80) << "20 ms a record at x1/4";
    EXPECT_TRUE(s_frame->GetTimer().IsRunning());
}
