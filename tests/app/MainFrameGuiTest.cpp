// The real main frame end to end, under Xvfb: the sample definition file and
// datalog in a scratch working directory, the ECU simulator on a pty.
#include "dispatch/GaugeUpdater.h"
#include "app/MainFrame.h"
#include "definition/SymbolTable.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/gauges/GuiClick.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/filefn.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/stattext.h>
#include <wx/tokenzr.h>
#include <wx/uiaction.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
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
        char dirTemplate[] = "/tmp/tarn-frame-XXXXXX";
        ASSERT_NE(mkdtemp(dirTemplate), nullptr);
        s_workDir = dirTemplate;
        for (const char* name : {"tarnv3.ini", "datalog.log"})
            std::ofstream(s_workDir + "/" + name, std::ios::binary)
                << ReadFile(std::string(TARN_SAMPLE_DIR) + "/" + name);
        ASSERT_TRUE(wxSetWorkingDirectory(s_workDir));

        const std::string sim = std::string(TARN_BINARY_DIR) + "/tools/tarn-ecu-sim/tarn-ecu-sim";
        const std::string link = s_workDir + "/ecu";
        s_simPid = fork();
        if (s_simPid == 0) {
            freopen("/dev/null", "w", stdout);
            execl(sim.c_str(), sim.c_str(), "--ini", "tarnv3.ini", "--link", link.c_str(),
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100 && access(link.c_str(), F_OK) != 0; ++i)
            usleep(50000);
        setenv("TARN_SERIAL_PORT", link.c_str(), 1);

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
        if (s_simPid > 0) {
            kill(s_simPid, SIGTERM);
            waitpid(s_simPid, nullptr, 0);
        }
    }

    void TearDown() override { SelectInput(ID_INPUT_NONE); }

    static void SelectInput(long id)
    {
        s_frame->GetMenuBar()->Check(id, true);
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetInt(1);
        s_frame->ProcessWindowEvent(event);
    }

    static void Tick()
    {
        wxTimerEvent event(s_frame->GetTimer());
        s_frame->ProcessWindowEvent(event);
    }

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
        std::istringstream lines(ReadFile(s_workDir + "/datalog.log"));
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

    static std::string s_workDir;
    static pid_t s_simPid;
    static MainFrame* s_frame;
};

std::string MainFrameTest::s_workDir;
pid_t MainFrameTest::s_simPid = -1;
MainFrame* MainFrameTest::s_frame = nullptr;

} // namespace

TEST_F(MainFrameTest, GaugesArePlacedAndRegisteredAnalogFirst)
{
    ASSERT_NE(s_frame->GetAnalogGauge(), nullptr);
    EXPECT_EQ(s_frame->GetAnalogGauge()->GetPosition(), wxPoint(15, 5));
    EXPECT_EQ(s_frame->GetDispatcher()->GetGaugeCount(), 5u);
    EXPECT_EQ(s_frame->GetAnalogGauge()->GetSymbolName(), "rpm");
    const wxPoint places[] = {{1, 220}, {121, 220}, {1, 260}, {121, 260}};
    for (int i = 0; i < MainFrame::kDigitalGaugeCount; ++i) {
        SCOPED_TRACE(kGaugeNames[i]);
        EXPECT_EQ(Gauge(i)->GetPosition(), places[i]);
        EXPECT_EQ(Gauge(i)->GetSize(), wxSize(118, 37));
        EXPECT_EQ(s_frame->GetDigitalGauge(i)->GetSymbolName(), kGaugeNames[i]);
        const TARNGaugeDesc* desc = DescFor(kGaugeNames[i]);
        ASSERT_NE(desc, nullptr);
        EXPECT_EQ(Text(Gauge(i), "ID_STATICTEXT1"), desc->getTitle());
        EXPECT_EQ(Text(Gauge(i), "ID_STATICTEXT3"), desc->getUnits());
    }
    EXPECT_FALSE(s_frame->GetTimer().IsRunning());
}

TEST_F(MainFrameTest, FileReplaysTheDatalogOntoTheGauges)
{
    wxArrayString header, record;
    ReadDatalogStart(&header, &record);
    ASSERT_EQ(header.size(), record.size());

    SelectInput(ID_INPUT_FILE);
    EXPECT_TRUE(s_frame->GetTimer().IsRunning());
    EXPECT_EQ(s_frame->GetTimer().GetInterval(), MainFrame::kFilePeriodMs);
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
    EXPECT_EQ(s_frame->GetTimer().GetInterval(), MainFrame::kEcuPeriodMs);
    EXPECT_EQ(s_frame->GetDispatcher()->GetInput()->GetKind(), 1);
    RTDataMgr* first = s_frame->GetDispatcher()->GetInput();
    SelectInput(ID_INPUT_ECU); // again: a fresh input, still at 300 ms
    EXPECT_NE(s_frame->GetDispatcher()->GetInput(), first);
    EXPECT_TRUE(s_frame->GetTimer().IsRunning());
    EXPECT_EQ(s_frame->GetTimer().GetInterval(), MainFrame::kEcuPeriodMs);

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
    WaitFor([] { return false; }, 700);
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
