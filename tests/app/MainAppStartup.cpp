// Starts the dashboard as the executable does (MainApp::OnInit) in a scratch
// working directory, under Xvfb.
#include "app/MainApp.h"
#include "base/DebugLog.h"
#include "dispatch/GaugeUpdater.h"
#include "app/MainFrame.h"
#include "definition/SymbolTable.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "gauges/SevenSegmentFont.h"
#include "tests/gauges/GuiClick.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestAssertHandler.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/filefn.h>
#include <wx/menu.h>
#include <wx/textfile.h>
#include <wx/uiaction.h>

#include <cstdio>
#include <cstdlib>

wxIMPLEMENT_APP_NO_MAIN(MainApp);

namespace {

wxString g_workDir;
bool g_started = false;

MainFrame* Frame()
{
    return dynamic_cast<MainFrame*>(wxTheApp->GetTopWindow());
}

wxArrayString LogLines()
{
    FlushDebugLog(); // the log is written through a buffer
    wxArrayString lines;
    wxTextFile file(g_workDir + "/filelog.txt");
    if (file.Open())
        for (wxString line = file.GetFirstLine(); !file.Eof(); line = file.GetNextLine())
            lines.Add(line);
    return lines;
}

} // namespace

TEST(MainApp, StartsWithAFreshDebugLog)
{
    ASSERT_TRUE(g_started);
    wxArrayString lines = LogLines();
    ASSERT_FALSE(lines.IsEmpty());
    EXPECT_TRUE(lines[0].EndsWith(": start")) << lines[0];
    for (const wxString& line : lines)
        EXPECT_EQ(line.Find("EARLIER RUN"), wxNOT_FOUND) << line;
}

TEST(MainApp, FrameSizeTitleAndBackground)
{
    MainFrame* frame = Frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetTitle(), "V3 GUI for WinCE");
    EXPECT_EQ(frame->GetSize(), wxSize(240, 320)) << "a 1024x768 display keeps the window size";
    EXPECT_FALSE(frame->IsFullScreen());
    EXPECT_EQ(frame->GetPosition(), wxPoint(0, 0));
    EXPECT_EQ(frame->GetBackgroundColour(), wxColour(255, 255, 254));
    EXPECT_TRUE(frame->HasFlag(wxSYSTEM_MENU));
    EXPECT_TRUE(frame->HasFlag(wxCLOSE_BOX));
    EXPECT_TRUE(frame->HasFlag(wxNO_BORDER));
    EXPECT_TRUE(frame->GetIcon().IsOk());

    // The colour on screen, read back from a client-area pixel away from any child.
    ASSERT_TRUE(WaitFor([&] { return frame->IsShownOnScreen(); }));
    auto onScreen = [frame] {
        const wxSize client = frame->GetClientSize();
        wxBitmap shot(client);
        {
            wxClientDC from(frame);
            wxMemoryDC to(shot);
            to.Blit(0, 0, client.x, client.y, &from, 0, 0);
        }
        const wxImage image = shot.ConvertToImage();
        const int x = client.x - 3, y = client.y - 3;
        return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
    };
    WaitFor([&] { return onScreen() == wxColour(255, 255, 254); }); // painted by then
    EXPECT_EQ(onScreen(), wxColour(255, 255, 254));
}

TEST(MainApp, MenusInOrderWithNoneOn)
{
    wxMenuBar* bar = Frame()->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->GetMenuCount(), 3u);
    EXPECT_EQ(bar->GetMenuLabel(0), "&File");
    EXPECT_EQ(bar->GetMenuLabel(1), "&Help");
    EXPECT_EQ(bar->GetMenuLabel(2), "&Select Input");

    struct Item {
        long id;
        const char* label;
        bool checked;
    } radios[] = {{ID_INPUT_NONE, "None", true}, {ID_INPUT_ECU, "ECU", false},
                  {ID_INPUT_FILE, "File", false}};
    wxMenu* input = bar->GetMenu(2);
    ASSERT_EQ(input->GetMenuItemCount(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(radios[i].label);
        wxMenuItem* item = input->FindItemByPosition(i);
        EXPECT_EQ(item->GetId(), radios[i].id);
        EXPECT_EQ(item->GetItemLabelText(), radios[i].label);
        EXPECT_EQ(item->GetKind(), wxITEM_RADIO);
        EXPECT_EQ(item->IsChecked(), radios[i].checked);
    }
    EXPECT_EQ(bar->GetMenu(0)->FindItemByPosition(0)->GetId(), wxID_EXIT);
    EXPECT_EQ(bar->GetMenu(0)->FindItemByPosition(0)->GetHelp(), "Quit this program");
    EXPECT_EQ(bar->GetMenu(1)->FindItemByPosition(0)->GetId(), wxID_ABOUT);
    EXPECT_NE(ID_TIMER, ID_INPUT_NONE);
}

TEST(MainApp, AboutAndBackgroundClickChangeNothing)
{
    MainFrame* frame = Frame();
    const size_t windowsBefore = wxTopLevelWindows.GetCount();
    wxCommandEvent about(wxEVT_MENU, wxID_ABOUT);
    frame->ProcessWindowEvent(about);

    wxUIActionSimulator sim;
    const wxPoint spot = frame->ClientToScreen(wxPoint(5, frame->GetClientSize().y - 5));
    sim.MouseMove(spot);
    sim.MouseClick();
    // A move sent after the click: once it arrives, the click has been handled.
    ASSERT_TRUE(PointerArrivesAt(sim, spot));
    ASSERT_TRUE(WaitForQueuedEvents());
    EXPECT_EQ(wxTopLevelWindows.GetCount(), windowsBefore);
    EXPECT_TRUE(frame->IsShown());
    EXPECT_FALSE(frame->GetTimer().IsRunning());
}

// The working directory holds no "tarnv3.ini": no symbols, no descriptions.
TEST(MainApp, WithoutDefinitionFileTheDashboardStaysUsable)
{
    MainFrame* frame = Frame();
    EXPECT_TRUE(currentSymbolTable()->getGauges().empty());
    EXPECT_EQ(frame->GetDispatcher()->GetGaugeCount(), 5u);
    EXPECT_EQ(frame->GetAnalogGauge()->GetSymbolName(), "");
    for (int i = 0; i < MainFrame::kDigitalGaugeCount; ++i) {
        SCOPED_TRACE(i);
        TarnGaugeDigital* gauge = frame->GetDigitalGauge(i);
        EXPECT_EQ(gauge->GetSymbolName(), "");
        for (const char* name : {"ID_STATICTEXT1", "ID_STATICTEXT2", "ID_STATICTEXT3"}) {
            wxWindow* text = wxWindow::FindWindowByName(name, gauge);
            ASSERT_NE(text, nullptr) << name;
            EXPECT_EQ(text->GetLabel(), "") << name;
        }
    }

    // "File" without a datalog is refused with the reason; the input before
    // stays, nothing is shown, nothing breaks.
    frame->GetMenuBar()->Check(ID_INPUT_FILE, true);
    wxCommandEvent file(wxEVT_MENU, ID_INPUT_FILE);
    frame->ProcessWindowEvent(file);
    EXPECT_FALSE(frame->GetTimer().IsRunning());
    EXPECT_EQ(frame->GetStatusStrip()->GetMark(), StatusStrip::Mark::Bad);
    EXPECT_TRUE(frame->GetMenuBar()->IsChecked(ID_INPUT_NONE));
    for (int i = 0; i < 3; ++i) {
        wxTimerEvent tick(frame->GetTimer());
        frame->ProcessWindowEvent(tick);
    }
    frame->GetAnalogGauge()->SetValue(4000);
    frame->GetAnalogGauge()->Refresh();
    frame->GetAnalogGauge()->Update();
    EXPECT_EQ(wxWindow::FindWindowByName("ID_STATICTEXT2", frame->GetDigitalGauge(0))->GetLabel(),
              "");

    frame->GetMenuBar()->Check(ID_INPUT_NONE, true);
    wxCommandEvent none(wxEVT_MENU, ID_INPUT_NONE);
    frame->ProcessWindowEvent(none);
    EXPECT_FALSE(frame->GetTimer().IsRunning());
    EXPECT_EQ(frame->GetDispatcher()->GetInput(), nullptr);
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();

    const TempDir work;
    g_workDir = work.path;
    work.write("filelog.txt", "EARLIER RUN: old trace\n");
    if (!wxSetWorkingDirectory(g_workDir))
        return 2;

    InstallTestAssertHandler();
    RegisterSevenSegmentFace();
    if (!wxEntryStart(argc, argv))
        return 2;
    g_started = wxTheApp->CallOnInit();
    InstallTestAssertHandler(); // MainApp installs the logging handler; tests fail instead
    const int rc = RUN_ALL_TESTS();
    if (wxTheApp->GetTopWindow())
        wxTheApp->GetTopWindow()->Destroy();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return rc;
}
