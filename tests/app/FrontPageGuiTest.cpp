// The definition file's front page on the main frame: its gauges by default,
// seven digital gauges where there is room, four on the handheld, and its
// indicator lamps.
#include "app/MainFrame.h"
#include "definition/SymbolTable.h"
#include "gauges/IndicatorRow.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>

#include <cstdlib>

namespace {

std::string RusefiIni()
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    return std::string(env && *env ? env : TARN_REALWORLD_DIR) + "/ini/rusefi_mre_f4.ini";
}

wxString EntryShown(TarnGaugeDigital* gauge)
{
    return currentSymbolTable()->getGauges()[gauge->GetDefaultGaugeId()]->getName();
}

} // namespace

TEST(FrontPage, TheFilesGaugesAndLamps)
{
    const TempDir dir;
    ASSERT_TRUE(wxSetWorkingDirectory(dir.path));
    FrameStart start;
    start.options.iniFile = wxString::FromUTF8(RusefiIni());
    MainFrame* frame = new MainFrame("V3 GUI for WinCE", start);
    frame->Show();
    ASSERT_TRUE(WaitFor([&] { return frame->IsShownOnScreen(); }));

    EXPECT_EQ(frame->GetAnalogGauge()->GetSymbolName(), "RPMValue");
    const char* const entries[] = {"CLTGauge",   "TPSGauge", "MAPGauge",   "afr1Gauge",
                                   "VBattGauge", "dwellGauge", "ignadvGauge"};
    ASSERT_EQ(frame->GetDigitalGaugeCount(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(EntryShown(frame->GetDigitalGauge(i)), entries[i]) << i;

    // The handheld's size: one dial and four, and one row of lamps, all grey
    // while there is no input.
    ASSERT_EQ(frame->GetClientSize().x, 240);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(frame->GetDigitalGauge(i)->IsShown(), i < 4) << i;
    IndicatorRow* lamps = frame->GetIndicatorRow();
    ASSERT_NE(lamps, nullptr);
    EXPECT_TRUE(lamps->IsShown());
    EXPECT_EQ(frame->GetLayout().lampRows, 1);
    EXPECT_EQ(lamps->GetStates().size(), currentSymbolTable()->getFrontPage().indicators.size());
    for (LampState state : lamps->GetStates())
        EXPECT_EQ(state, LampState::NoValue);

    // An 800 x 480 window: all of them.
    frame->SetSize(800, 480);
    ASSERT_TRUE(WaitFor([&] { return frame->GetDigitalGauge(6)->IsShown(); }));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(frame->GetDigitalGauge(i)->GetRect(), frame->GetLayout().digital[i]) << i;
    EXPECT_GT(frame->GetLayout().lampRows, 1);
    EXPECT_EQ(lamps->GetRect(), frame->GetLayout().lamps);
    frame->Destroy();
    wxYield();
}
