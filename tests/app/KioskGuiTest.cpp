// One tap cannot end the dashboard: a kiosk has neither Exit nor "Close
// window"; elsewhere "Close window" is the dial menu's last item, after a
// separator. Escape closes a value selector; Alt+X ends the dashboard from
// anywhere, the selector included, and the frame has the keyboard at start
// without a window manager (the test display has none) or a click.
#include "app/MainFrame.h"
#include "gauges/GaugeValueSelector.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/gauges/GuiClick.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/menu.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

namespace {

MainFrame* ShowFrame(bool kiosk)
{
    FrameStart start;
    start.options.iniFile = TARN_SAMPLE_DIR "/tarnv3.ini";
    start.options.kiosk = kiosk;
    MainFrame* frame = new MainFrame("V3 GUI for WinCE", start);
    frame->Show();
    WaitFor([&] { return frame->IsShownOnScreen(); });
    return frame;
}

// Away from every window: keys go to whoever has the X focus, not to the
// window under the pointer.
void PointerAway()
{
    wxUIActionSimulator sim;
    const wxPoint away(wxGetDisplaySize().x - 2, wxGetDisplaySize().y - 2);
    sim.MouseMove(away);
    WaitFor([&] { return wxGetMousePosition() == away; });
}

} // namespace

TEST(Kiosk, NoItemEndsAKiosk)
{
    const TempDir dir;
    ASSERT_TRUE(wxSetWorkingDirectory(dir.path));
    for (bool kiosk : {false, true}) {
        SCOPED_TRACE(kiosk ? "kiosk" : "desktop");
        MainFrame* frame = ShowFrame(kiosk);
        EXPECT_EQ(frame->GetMenuBar()->FindItem(wxID_EXIT) != nullptr, !kiosk);
        const wxMenu* menu = frame->GetAnalogGauge()->GetSnapshot().menu->GetMenu();
        const wxMenuItemList& items = menu->GetMenuItems();
        if (kiosk) {
            EXPECT_EQ(menu->FindItem(TarnGauge::closeId), nullptr);
            EXPECT_EQ(items.size(), 1u) << "only Change Gauge To";
        } else {
            ASSERT_GE(items.size(), 3u);
            EXPECT_EQ(items.back()->GetId(), TarnGauge::closeId);
            EXPECT_TRUE(items[items.size() - 2]->IsSeparator());
        }
        frame->Destroy();
        wxYield();
    }
}

TEST(Kiosk, EscapeClosesTheSelectorAndAltXEndsFromIt)
{
    const TempDir dir;
    ASSERT_TRUE(wxSetWorkingDirectory(dir.path));
    wxWeakRef<MainFrame> frame = ShowFrame(true);
    PointerAway();
    frame->TakeFocus();
    TarnGaugeDigital* gauge = frame->GetDigitalGauge(0);
    wxUIActionSimulator sim;
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(ClickOn(gauge));
        GaugeValueSelector* selector = gauge->GetSelector();
        ASSERT_TRUE(WaitFor([&] { return selector->IsShown(); }));
        PointerAway();
        if (round == 0) {
            sim.Char(WXK_ESCAPE);
            ASSERT_TRUE(WaitFor([&] { return !selector->IsShown(); })) << "Escape is Cancel";
            ASSERT_TRUE(frame);
        } else {
            sim.Char('x', wxMOD_ALT);
            ASSERT_TRUE(WaitFor([&] { return !frame; })) << "Alt+X from the selector";
        }
    }
}

TEST(Kiosk, TheFrameHasTheKeyboardAtStart)
{
    const TempDir dir;
    ASSERT_TRUE(wxSetWorkingDirectory(dir.path));
    PointerAway();
    wxWeakRef<MainFrame> frame = ShowFrame(true);
    frame->TakeFocus();
    wxUIActionSimulator sim;
    sim.Char('x', wxMOD_ALT);
    EXPECT_TRUE(WaitFor([&] { return !frame; })) << "Alt+X without a click first";
    if (frame)
        frame->Destroy();
}
