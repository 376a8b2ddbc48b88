// The real main frame end to end, under Xvfb: the sample definition file and
// datalog in a scratch working directory, the ECU simulator on a pty.
#include "dispatch/GaugeUpdater.h"
#include "app/DashboardLayout.h"
#include "app/MainFrame.h"
#include "app/StatusStrip.h"
#include "definition/SymbolTable.h"
#include "gauges/TarnGauge.h"
#include "gauges/GaugeValueSelector.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/app/FrameDriver.h"
#include "tests/gauges/GuiClick.h"
#include "tests/support/SimProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/filefn.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/regex.h>
#include <wx/stattext.h>
#include <wx/tokenzr.h>
#include <wx/uiaction.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char* const kGaugeNames[] = {"map", "spark", "lambda", "dwell"};

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class MainFrameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_work = new TempDir;
        for (const char* name : {"tarnv3.ini", "datalog.log"})
            s_work->write(name, ReadFile(std::string(TARN_SAMPLE_DIR) + "/" + name));
        ASSERT_TRUE(wxSetWorkingDirectory(s_work->path));

        s_sim = new SimProcess; // "COM1:" is its link from now on
        StartSimulator();

        s_frame = new MainFrame("V3 GUI for WinCE");
        s_frame->Show();
        WaitFor([] { return s_frame->IsShownOnScreen(); });
    }

    static void TearDownTestSuite()
    {
        if (s_frame)
            s_frame->Destroy();
        wxYield();
        s_frame = nullptr;
        delete s_sim;
        s_sim = nullptr;
        delete s_work;
        s_work = nullptr;
    }

    // The simulator on a pty at its link; it removes the link when it stops.
    static void StartSimulator() { ASSERT_TRUE(s_sim->start({"--ini", s_work->file("tarnv3.ini")})); }
    static void StopSimulator() { s_sim->stop(); }

    void TearDown() override { SelectInput(ID_INPUT_NONE); }

    static void SelectInput(long id) { ::SelectInput(s_frame, id); }
    static void Tick() { ::Tick(s_frame); }

    static wxWindow* Gauge(int i) { return s_frame->GetDigitalGauge(i); }

    static wxString Text(wxWindow* gauge, const char* name)
    {
        wxStaticText* text = dynamic_cast<wxStaticText*>(wxWindow::FindWindowByName(name, gauge));
        return text ? text->GetLabel() : wxString("<missing>");
    }

    static const TARNGaugeDesc* DescFor(const wxString& symbol)
    {
        for (const TARNGaugeDesc* desc : currentSymbolTable()->getGauges())
            if (desc->getSymbolName() == symbol)
                return desc;
        return nullptr;
    }

    // The datalog's header and its first record (line 3).
    static void ReadDatalogStart(wxArrayString* header, wxArrayString* record)
    {
        std::istringstream lines(ReadFile(s_work->file("datalog.log")));
        std::string line;
        for (int i = 0; i < 3 && std::getline(lines, line); ++i) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (i == 1)
                *header = wxStringTokenize(line, "\t");
            if (i == 2)
                *record = wxStringTokenize(line, "\t");
        }
    }

    static TempDir* s_work;
    static SimProcess* s_sim;
    static MainFrame* s_frame;
};

TempDir* MainFrameTest::s_work = nullptr;
SimProcess* MainFrameTest::s_sim = nullptr;
MainFrame* MainFrameTest::s_frame = nullptr;

} // namespace

TEST_F(MainFrameTest, GaugesArePlacedAndRegisteredAnalogFirst)
{
    ASSERT_NE(s_frame->GetAnalogGauge(), nullptr);
    // The client area of the 240 x 320 frame is 240 x 295, below the menu bar;
    // the gauges fill it above the status strip.
    const DashboardLayout want =
        LayOutDashboard(s_frame->GetClientSize(),
                            StatusStrip::HeightFor(s_frame->GetClientSize().y));
    EXPECT_EQ(s_frame->GetAnalogGauge()->GetRect(), want.dial);
    EXPECT_EQ(s_frame->GetStatusStrip()->GetRect(), want.strip);
    EXPECT_EQ(s_frame->GetDispatcher()->GetGaugeCount(), 5u);
    EXPECT_EQ(s_frame->GetAnalogGauge()->GetSymbolName(), "rpm");
    for (int i = 0; i < MainFrame::kDigitalGaugeCount; ++i) {
        SCOPED_TRACE(kGaugeNames[i]);
        EXPECT_EQ(Gauge(i)->GetRect(), want.digital[i]);
        EXPECT_EQ(s_frame->GetDigitalGauge(i)->GetSymbolName(), kGaugeNames[i]);
        const TARNGaugeDesc* desc = DescFor(kGaugeNames[i]);
        ASSERT_NE(desc, nullptr);
        EXPECT_EQ(Text(Gauge(i), "ID_STATICTEXT1"), desc->getTitle());
        EXPECT_EQ(Text(Gauge(i), "ID_STATICTEXT3"), desc->getUnits());
    }
    EXPECT_FALSE(s_frame->GetTimer().IsRunning());
}

// Nothing lies under the menu bar or below the frame's edge, at the 240 x 320
// default and after any resize, which lays the gauges out again at once.
TEST_F(MainFrameTest, GaugesFillTheClientAreaAtAnySize)
{
    const wxSize sizes[] = {{800, 480}, {480, 800}, {1024, 600}, {1920, 1080}, {240, 320}};
    for (const wxSize& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.x << "x" << size.y);
        SelectInput(ID_INPUT_FILE); // real values in the digits
        s_frame->GetTimer().Stop();
        Tick();
        s_frame->SetSize(size);
        // Laid out as soon as the size event arrives.
        ASSERT_TRUE(WaitFor([] {
            return LayOutDashboard(s_frame->GetClientSize(),
                            StatusStrip::HeightFor(s_frame->GetClientSize().y)).dial
                   == s_frame->GetAnalogGauge()->GetRect();
        }));
        const wxRect client(s_frame->GetClientSize());
        EXPECT_EQ(s_frame->GetClientSize().y, size.y - s_frame->GetMenuBar()->GetSize().y);
        std::vector<wxRect> placed = {s_frame->GetAnalogGauge()->GetRect()};
        for (int i = 0; i < MainFrame::kDigitalGaugeCount; ++i)
            placed.push_back(Gauge(i)->GetRect());
        placed.push_back(s_frame->GetStatusStrip()->GetRect()); // covers no gauge
        // Touch-sized from a car panel's 800 x 480 up.
        EXPECT_GE(s_frame->GetStatusStrip()->GetSize().y, std::min(size.x, size.y) >= 480 ? 20 : 14);
        for (size_t i = 0; i < placed.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(client.Contains(placed[i]));
            for (size_t j = i + 1; j < placed.size(); ++j)
                EXPECT_FALSE(placed[i].Intersects(placed[j])) << j;
        }
        const wxRect dial = placed[0];
        if (size.x > size.y) {
            EXPECT_GT(dial.height, client.height * 9 / 10) << "the dial takes the full height";
            for (size_t i = 1; i <= MainFrame::kDigitalGaugeCount; ++i)
                EXPECT_GT(placed[i].x, dial.GetRight());
        }
        // Every digit whole: the digits' text fits its window inside its gauge.
        for (int i = 0; i < MainFrame::kDigitalGaugeCount; ++i) {
            wxStaticText* value = dynamic_cast<wxStaticText*>(Gauge(i)->FindWindow("ID_STATICTEXT2"));
            ASSERT_NE(value, nullptr);
            const wxFont font = value->GetFont();
            int w = 0, h = 0;
            value->GetTextExtent(value->GetLabel(), &w, &h, nullptr, nullptr, &font);
            EXPECT_LE(w, value->GetSize().x) << kGaugeNames[i];
            EXPECT_LE(h, value->GetSize().y) << kGaugeNames[i];
            EXPECT_TRUE(wxRect(Gauge(i)->GetClientSize()).Contains(value->GetRect()));
        }
        // The dial rebuilds its layers for its new size at the next paint.
        s_frame->GetAnalogGauge()->Update();
        ASSERT_TRUE(WaitFor([] { return !s_frame->GetAnalogGauge()->GetSnapshot().needsRebuild; }));
        EXPECT_EQ(s_frame->GetAnalogGauge()->GetSnapshot().layout.width, dial.width);
    }
}

// A double click rounds the window around the dial: the digital gauges (and
// the File menu) go, the dial stays whole. A second one gives everything back.
// What the window covers is what a click reaches.
TEST_F(MainFrameTest, RoundWindowSitsOnTheDialAndGoesAgain)
{
    TarnGauge* dial = s_frame->GetAnalogGauge();
    TarnGaugeDigital* corner = s_frame->GetDigitalGauge(3);
    ASSERT_TRUE(WaitShownOnScreen(dial));
    // The dial's centre is in the window in either shape: a move there that
    // arrives finds the window mapped, after input sent before it.
    wxUIActionSimulator sim;
    auto pointerOnDial = [&] {
        const int half = dial->GetClientSize().x / 2;
        return PointerArrivesAt(sim, dial->ClientToScreen(wxPoint(half, half)));
    };
    auto doubleClick = [&] {
        wxMouseEvent event(wxEVT_LEFT_DCLICK);
        event.SetEventObject(dial);
        dial->ProcessWindowEvent(event);
        return pointerOnDial(); // unmapped and mapped again
    };
    // Whether a real click at client point `at` of `gauge` opens its selector.
    auto reaches = [&](wxWindow* gauge, wxPoint at, GaugeValueSelector* (*selectorOf)(wxWindow*)) {
        if (GaugeValueSelector* open = selectorOf(gauge))
            open->Hide();
        wxYield();
        if (!ClickOn(gauge, at) || !pointerOnDial() || !WaitForQueuedEvents())
            return false;
        return selectorOf(gauge) && selectorOf(gauge)->IsShown();
    };
    auto dialSelector = [](wxWindow* w) { return static_cast<TarnGauge*>(w)->GetSelector(); };
    auto digitalSelector = [](wxWindow* w) {
        return static_cast<TarnGaugeDigital*>(w)->GetSelector();
    };
    const int side = dial->GetClientSize().x;
    const wxPoint dialBottom(side / 2, side - 12);
    const wxPoint cornerSpot(corner->GetClientSize().x - 5, 5);

    ASSERT_TRUE(doubleClick());
    ASSERT_TRUE(dial->GetSnapshot().hasShape);
    EXPECT_TRUE(reaches(dial, dialBottom, dialSelector)) << "the dial is whole";
    EXPECT_FALSE(reaches(corner, cornerSpot, digitalSelector)) << "the gauges are gone";
    ASSERT_TRUE(doubleClick());
    ASSERT_FALSE(dial->GetSnapshot().hasShape);
    EXPECT_TRUE(reaches(corner, cornerSpot, digitalSelector)) << "everything is back";
    dial->GetSelector()->Hide();
    corner->GetSelector()->Hide();
}

TEST_F(MainFrameTest, FileReplaysTheDatalogOntoTheGauges)
{
    wxArrayString header, record;
    ReadDatalogStart(&header, &record);
    ASSERT_EQ(header.size(), record.size());

    SelectInput(ID_INPUT_FILE);
    EXPECT_TRUE(s_frame->GetTimer().IsRunning());
    EXPECT_EQ(s_frame->GetTimer().GetInterval(), ReplaySession::kPeriodMs);
    EXPECT_EQ(s_frame->GetDispatcher()->GetInput()->GetKind(), 2);
    s_frame->GetTimer().Stop(); // drive the ticks by hand from here
    Tick();

    for (int i = 0; i < MainFrame::kDigitalGaugeCount; ++i) {
        SCOPED_TRACE(kGaugeNames[i]);
        int column = -1;
        for (size_t c = 0; c < header.size() && column < 0; ++c)
            if (header[c].IsSameAs(kGaugeNames[i], false))
                column = int(c);
        ASSERT_GE(column, 0) << "the sample datalog has a column for every digital gauge";
        double value = 0;
        ASSERT_TRUE(record[column].ToCDouble(&value));
        const TARNGaugeDesc* desc = DescFor(kGaugeNames[i]);
        EXPECT_EQ(Text(Gauge(i), "ID_STATICTEXT2"), wxString::Format(desc->valueFormat(), value));
    }
}

TEST_F(MainFrameTest, EcuBringsLiveValuesAndNoneStopsThem)
{
    SelectInput(ID_INPUT_ECU);
    EXPECT_EQ(s_frame->GetTimer().GetInterval(), EcuSession::kPeriodMs);
    EXPECT_EQ(s_frame->GetDispatcher()->GetInput()->GetKind(), 1);
    RTDataMgr* first = s_frame->GetDispatcher()->GetInput();
    SelectInput(ID_INPUT_ECU); // again: a fresh input, still at 300 ms
    EXPECT_NE(s_frame->GetDispatcher()->GetInput(), first);
    EXPECT_TRUE(s_frame->GetTimer().IsRunning());
    EXPECT_EQ(s_frame->GetTimer().GetInterval(), EcuSession::kPeriodMs);

    // The simulated engine idles above 500 rpm with a manifold pressure well above 0.
    wxWindow* map = Gauge(0);
    const bool live = WaitFor(
        [&] {
            double kpa = 0;
            return Text(map, "ID_STATICTEXT2").ToCDouble(&kpa) && kpa > 10;
        },
        15000);
    EXPECT_TRUE(live) << "map shows " << Text(map, "ID_STATICTEXT2");

    SelectInput(ID_INPUT_NONE);
    EXPECT_FALSE(s_frame->GetTimer().IsRunning());
    EXPECT_EQ(s_frame->GetDispatcher()->GetInput(), nullptr);
    const wxString shown = Text(map, "ID_STATICTEXT2");
    ASSERT_TRUE(WaitForTimerTicks(EcuSession::kPeriodMs, 2)) << "as long as two ticks would take";
    EXPECT_EQ(Text(map, "ID_STATICTEXT2"), shown);
}

TEST_F(MainFrameTest, ClickOpensSelectorAndChoiceSwitchesTheGauge)
{
    SelectInput(ID_INPUT_FILE);
    s_frame->GetTimer().Stop();
    wxWindow* gauge = Gauge(1);
    wxArrayString header, record;
    ReadDatalogStart(&header, &record);
    wxArrayString offered;
    for (const TARNGaugeDesc* desc : currentSymbolTable()->getGauges())
        for (const wxString& column : header)
            if (column.IsSameAs(desc->getSymbolName(), false)) {
                offered.Add(desc->getTitle());
                break;
            }

    wxFrame* selector = dynamic_cast<wxFrame*>(wxWindow::FindWindowByName("wxFrame", gauge));
    ASSERT_NE(selector, nullptr);
    wxListBox* list = dynamic_cast<wxListBox*>(wxWindow::FindWindowByName("ID_LISTBOX1", selector));
    ASSERT_NE(list, nullptr);

    auto clickGauge = [&] {
        return ClickOn(gauge, wxPoint(60, 25)) && WaitFor([&] { return selector->IsShown(); });
    };
    ASSERT_TRUE(clickGauge());
    EXPECT_EQ(list->GetStrings(), offered);

    // Cancel leaves the gauge as it was.
    const wxString title = Text(gauge, "ID_STATICTEXT1");
    wxButton* cancel = dynamic_cast<wxButton*>(wxWindow::FindWindowByName("ID_BUTTON2", selector));
    ASSERT_NE(cancel, nullptr);
    wxCommandEvent cancelled(wxEVT_BUTTON, cancel->GetId());
    cancelled.SetEventObject(cancel);
    cancel->ProcessWindowEvent(cancelled);
    EXPECT_FALSE(selector->IsShown());
    EXPECT_EQ(Text(gauge, "ID_STATICTEXT1"), title);

    // A second click shows a freshly filled list; picking a row switches at once.
    ASSERT_TRUE(clickGauge());
    EXPECT_EQ(list->GetStrings(), offered);
    ASSERT_GE(offered.size(), 2u);
    const int row = 1;
    ASSERT_TRUE(WaitShownOnScreen(list));
    const wxPoint centre = RowCentre(list, row);
    ASSERT_GE(centre.y, 0);
    ASSERT_TRUE(ClickOn(list, centre));
    EXPECT_TRUE(WaitFor([&] { return !selector->IsShown(); }));
    EXPECT_EQ(Text(gauge, "ID_STATICTEXT1"), offered[row]);
}

TEST_F(MainFrameTest, EcuThatStopsTurnsStaleAndComesBackByItself)
{
    StatusStrip* strip = s_frame->GetStatusStrip();
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->GetText(), "No input");
    TarnGaugeDigital* map = s_frame->GetDigitalGauge(0);
    TarnGauge* dial = s_frame->GetAnalogGauge();
    EXPECT_TRUE(map->IsStale()) << "nothing was fetched yet";

    SelectInput(ID_INPUT_ECU);
    auto live = [&] { return !map->IsStale() && !dial->GetSnapshot().stale; };
    ASSERT_TRUE(WaitFor(live, 15000)) << strip->GetText();
    EXPECT_EQ(strip->GetText(), "ECU connected, 9600 baud");
    EXPECT_EQ(strip->GetMark(), StatusStrip::Mark::Good);

    StopSimulator();
    EXPECT_TRUE(WaitFor([&] { return map->IsStale() && dial->GetSnapshot().stale; }, 15000));
    EXPECT_TRUE(WaitFor([&] { return strip->GetMark() == StatusStrip::Mark::Bad; }, 15000))
        << strip->GetText();
    EXPECT_TRUE(strip->GetText().StartsWith("Cannot open " + s_sim->link + ": No such file"))
        << strip->GetText();
    // The dashboard stays responsive meanwhile: a click opens the selector.
    EXPECT_TRUE(ClickOn(map, wxPoint(60, 25)));
    EXPECT_TRUE(WaitFor([&] { return map->GetSelector()->IsShown(); }, 3000));
    map->GetSelector()->Hide();

    StartSimulator();
    EXPECT_TRUE(WaitFor(live, 15000)) << strip->GetText();

    SelectInput(ID_INPUT_NONE);
    EXPECT_TRUE(map->IsStale());
    EXPECT_EQ(strip->GetText(), "No input");
}

// A line that refuses many replies also lets spoiled ones through: the strip
// says how many it refused, ahead of the link's state, and not in green.
TEST_F(MainFrameTest, NoisyLineIsNamedOnTheStrip)
{
    StatusStrip* strip = s_frame->GetStatusStrip();
    ASSERT_TRUE(s_sim->start({"--ini", s_work->file("tarnv3.ini"), "--noise", "0.5"}));
    SelectInput(ID_INPUT_ECU);
    const wxRegEx said("^Line noisy: [0-9]+ % of replies refused");
    EXPECT_TRUE(WaitFor([&] { return said.Matches(strip->GetText()); }, 20000)) << strip->GetText();
    EXPECT_NE(strip->GetMark(), StatusStrip::Mark::Good);
    SelectInput(ID_INPUT_NONE);
    StartSimulator();
}

// The input and each gauge's choice survive a restart; a remembered name the
// definition file no longer has is reported once and forgotten.
// Runs after MainFrameTest's frame is gone: one frame at a time, as they all
// share the installed definition file.
TEST(MainFrameRestart, ChoicesSurviveARestart)
{
    const TempDir dir;
    for (const char* name : {"tarnv3.ini", "datalog.log"})
        dir.write(name, ReadFile(std::string(TARN_SAMPLE_DIR) + "/" + name));
    ASSERT_TRUE(wxSetWorkingDirectory(dir.path));
    const wxString path = dir.file("config/tarndash.conf");
    RememberedChoices memory(path);
    FrameStart start;
    start.memory = &memory;
    start.remembered = memory.Load(nullptr);
    auto frame = new MainFrame("first run", start);
    frame->GetMenuBar()->Check(ID_INPUT_FILE, true);
    wxCommandEvent file(wxEVT_MENU, ID_INPUT_FILE);
    file.SetInt(1);
    frame->ProcessWindowEvent(file);
    frame->GetTimer().Stop();
    // The user picks the first offered value on the third digital gauge, and
    // the dial's popup menu's last description.
    TarnGaugeDigital* third = frame->GetDigitalGauge(2);
    wxMouseEvent click(wxEVT_LEFT_DOWN);
    third->ProcessWindowEvent(click);
    third->SetValueIdx(0);
    const int thirdIndex = third->GetDefaultGaugeId();
    const TarnGauge* dial = frame->GetAnalogGauge();
    const int last = int(currentSymbolTable()->getGauges().size()) - 1;
    int lastItem = -1;
    for (const auto& entry : dial->GetSnapshot().menu->GetIdMap())
        if (entry.second == last)
            lastItem = entry.first;
    wxCommandEvent pick(wxEVT_MENU, lastItem);
    frame->GetAnalogGauge()->ProcessWindowEvent(pick);
    frame->Destroy();
    wxTheApp->ProcessIdle();

    std::vector<wxString> problems;
    RememberedChoices again(path);
    start.remembered = again.Load(&problems);
    start.memory = &again;
    EXPECT_TRUE(problems.empty());
    frame = new MainFrame("second run", start);
    EXPECT_TRUE(frame->GetMenuBar()->IsChecked(ID_INPUT_FILE));
    EXPECT_TRUE(frame->GetTimer().IsRunning());
    EXPECT_EQ(frame->GetDigitalGauge(2)->GetDefaultGaugeId(), thirdIndex);
    EXPECT_EQ(frame->GetAnalogGauge()->GetSnapshot().descIndex, last);
    EXPECT_EQ(frame->GetDigitalGauge(0)->GetSymbolName(), "map") << "untouched: the default";
    frame->Destroy();
    wxTheApp->ProcessIdle();

    // The command line wins; a name the file lost falls back to the default.
    again.SaveGauge("digital1", "no such gauge");
    start.remembered = again.Load(nullptr);
    start.options.input = InputChoice::None;
    testing::internal::CaptureStderr();
    frame = new MainFrame("third run", start);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("'no such gauge'"), std::string::npos) << err;
    EXPECT_FALSE(frame->GetTimer().IsRunning());
    EXPECT_EQ(frame->GetDigitalGauge(0)->GetSymbolName(), "map");
    EXPECT_EQ(again.Load(nullptr).gauges.count("digital1"), 0u) << "reported once";
    frame->Destroy();
    wxTheApp->ProcessIdle();
}

// --set chooses the definition file's #if branches for the dashboard.
TEST(MainFrameRestart, SetFlagsChooseTheDefinitionBranches)
{
    const TempDir dir;
    const std::string ini = dir.write("flags.ini",
                                      "[GaugeConfigurations]\n"
                                      "#if WIDEBAND\n"
                                      "wideGauge = afr, \"Wideband\", \"AFR\", 10, 20, 11, 12, 16, 17, 1, 0\n"
                                      "#else\n"
                                      "narrowGauge = ego, \"Narrowband\", \"V\", 0, 1, 0, 0, 1, 1, 2, 1\n"
                                      "#endif\n");
    struct Case {
        std::vector<wxString> flags;
        const char* gauge;
    } cases[] = {{{}, "narrowGauge"}, {{"WIDEBAND"}, "wideGauge"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gauge);
        FrameStart start;
        start.options.iniFile = ini;
        start.options.settings = c.flags;
        MainFrame* frame = new MainFrame("flags", start);
        ASSERT_EQ(currentSymbolTable()->getGauges().size(), 1u);
        EXPECT_EQ(currentSymbolTable()->getGauges()[0]->getName(), c.gauge);
        frame->Destroy();
        wxTheApp->ProcessIdle();
    }
}

// A file that is no definition file is named so in the strip, whatever input
// is chosen; the installed samples taken in its place are said for a while.
TEST(MainFrameRestart, TheStripSaysWhatTheDefinitionFileIs)
{
    const TempDir dir;
    const std::string utf16 = dir.write("utf16.ini", std::string("\xFF\xFE[\0O\0", 6));
    struct Case {
        std::string ini;
        const char* startNotice;
        const char* said;
    } cases[] = {{utf16, "", " is not a definition file: UTF-16 text"},
                 {TARN_SAMPLE_DIR "/tarnv3.ini", "No tarnv3.ini here: the samples", "No tarnv3.ini here: the samples"},
                 {dir.file("none.ini"), "", "Cannot read "}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        FrameStart start;
        start.options.iniFile = c.ini;
        start.options.startNotice = c.startNotice;
        start.options.input = InputChoice::File;
        start.options.datalogFile = TARN_SAMPLE_DIR "/datalog.log";
        MainFrame* frame = new MainFrame("definition", start);
        EXPECT_NE(frame->GetStatusStrip()->GetText().Find(c.said), wxNOT_FOUND) << frame->GetStatusStrip()->GetText();
        frame->Destroy();
        wxTheApp->ProcessIdle();
    }
}
