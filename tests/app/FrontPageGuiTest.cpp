// The definition file's front page on the main frame: its gauges by default,
// seven digital gauges where there is room, four on the handheld, and its
// indicator lamps, dark at night.
#include "app/MainFrame.h"
#include "app/StatusStrip.h"
#include "definition/SymbolTable.h"
#include "gaugemodel/Palette.h"
#include "gauges/IndicatorRow.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/support/FakeInput.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/filefn.h>

#include <algorithm>
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

// The brightest channel of any pixel `window` shows.
int Brightest(wxWindow* window)
{
    const wxSize size = window->GetClientSize();
    wxClientDC screen(window);
    wxBitmap shot(size);
    wxMemoryDC memory(shot);
    memory.Blit(0, 0, size.x, size.y, &screen, 0, 0);
    memory.SelectObject(wxNullBitmap);
    const wxImage image = shot.ConvertToImage();
    return *std::max_element(image.GetData(), image.GetData() + size.x * size.y * 3);
}

// A frame on that file, shown.
class FrontPageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(wxSetWorkingDirectory(dir.path));
        FrameStart start;
        start.options.iniFile = wxString::FromUTF8(RusefiIni());
        frame = new MainFrame("V3 GUI for WinCE", start);
        frame->Show();
        ASSERT_TRUE(WaitFor([&] { return frame->IsShownOnScreen(); }));
    }
    void TearDown() override
    {
        if (frame)
            frame->Destroy();
        wxYield();
    }

    const TempDir dir;
    MainFrame* frame = nullptr;
};

} // namespace

TEST_F(FrontPageTest, TheFilesGaugesAndLamps)
{
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
}

TEST_F(FrontPageTest, NightDarkensTheLampsAndTheStrip)
{
    IndicatorRow* lamps = frame->GetIndicatorRow();
    ASSERT_NE(lamps, nullptr);
    // The file's unlit lamps are white; one lamp lit.
    FakeInput input;
    const std::vector<Indicator>& indicators = currentSymbolTable()->getFrontPage().indicators;
    for (const Indicator& lamp : indicators)
        input.expressions[lamp.expression] = 0.0;
    input.expressions[indicators.front().expression] = 1.0;
    lamps->TakeValues(&input);

    // Nothing brighter than the dial's own labels at night.
    const RgbColour text = NightPalette().dialText;
    const int limit = std::max({text.red, text.green, text.blue});
    for (bool night : {true, false, true}) {
        frame->SetNight(night);
        const auto dark = [&](wxWindow* w) { return Brightest(w) <= limit; };
        EXPECT_TRUE(WaitFor([&] { return dark(lamps) == night; })) << "lamps, night " << night;
        EXPECT_TRUE(WaitFor([&] { return dark(frame->GetStatusStrip()) == night; }))
            << "strip, night " << night;
    }
}
