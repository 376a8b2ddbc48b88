// Alarm colours, the danger flash, peaks and night colours of both gauges.
#include "gaugemodel/Palette.h"
#include "gaugemodel/TARNGaugeDesc.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/stattext.h>

#include <memory>

namespace {

wxColour C(const RgbColour& c)
{
    return wxColour(c.red, c.green, c.blue);
}

class GaugeAlarmTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Coolant: danger below -30 and above 105, warning below 0 and above 95.
        coolant.setName("coolantGauge");
        coolant.setSymbolName("coolant");
        coolant.setTitle("Coolant");
        coolant.setMinValue(-40);
        coolant.setMaxValue(120);
        coolant.addRedRange(-40, -30);
        coolant.addOrangeRange(-30, 0);
        coolant.addOrangeRange(95, 105);
        coolant.addRedRange(105, 120);
        descs.push_back(&coolant);
        frame = new wxFrame(nullptr, wxID_ANY, "alarm host", wxPoint(300, 300), wxSize(260, 320));
        digital = new TarnGaugeDigital(frame, &descs, "coolant", 0, 250, 160);
        dial = new TarnGauge(frame, wxID_ANY, wxPoint(0, 0), wxSize(210, 210), false, &descs);
        dial->SetDefaultGaugeDesc("coolant");
        frame->Show();
    }
    void TearDown() override
    {
        frame->Destroy();
        wxTheApp->ProcessIdle();
    }
    wxString Title() const
    {
        return dynamic_cast<wxStaticText*>(digital->FindWindow("ID_STATICTEXT1"))->GetLabelText();
    }

    TARNGaugeDesc coolant;
    GaugeDescList descs;
    wxFrame* frame = nullptr;
    TarnGaugeDigital* digital = nullptr;
    TarnGauge* dial = nullptr;
};

} // namespace

TEST_F(GaugeAlarmTest, ColourFollowsTheValueAtOnce)
{
    const Palette& day = DayPalette();
    const struct {
        double value;
        bool stale, doubtful;
        AlarmLevel level;
        RgbColour digits, readout;
    } steps[] = {
        {50, false, false, AlarmLevel::None, day.digits, day.dialText},
        {97, false, false, AlarmLevel::Warning, day.warning, day.warning},
        {110, false, false, AlarmLevel::Danger, day.danger, day.danger},
        {60, false, false, AlarmLevel::None, day.digits, day.dialText},
        {-35, true, false, AlarmLevel::None, day.stale, day.stale},
        {-35, false, true, AlarmLevel::Danger, day.doubtful, day.doubtful},
        {-10, false, false, AlarmLevel::Warning, day.warning, day.warning},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.value);
        for (GaugeListener* g : {(GaugeListener*)digital, (GaugeListener*)dial}) {
            g->SetValue(s.value);
            g->SetStale(s.stale);
            g->SetDoubtful(s.doubtful);
        }
        EXPECT_EQ(digital->GetAlarmLevel(), s.level);
        EXPECT_EQ(dial->GetAlarmLevel(), s.level);
        EXPECT_EQ(digital->GetValueColour(), C(s.digits));
        EXPECT_EQ(dial->GetReadoutColour(), C(s.readout));
    }
}

TEST_F(GaugeAlarmTest, DangerFlashesAndStopsWhenTheValueReturns)
{
    digital->SetValue(115);
    dial->SetValue(115);
    const wxColour danger = C(DayPalette().danger);
    ASSERT_EQ(digital->GetValueColour(), danger);
    // Both halves of the flash come by themselves, then the danger colour again.
    EXPECT_TRUE(WaitFor([&] { return digital->GetValueColour() == C(DayPalette().digits); }));
    EXPECT_TRUE(WaitFor([&] { return dial->GetReadoutColour() == C(DayPalette().dialText); }));
    EXPECT_TRUE(WaitFor([&] { return digital->GetValueColour() == danger; }));
    digital->SetValue(50);
    dial->SetValue(50);
    EXPECT_EQ(digital->GetValueColour(), C(DayPalette().digits));
    EXPECT_EQ(dial->GetReadoutColour(), C(DayPalette().dialText));
    EXPECT_FALSE(digital->GetAlarmState().Flashing());
}

TEST_F(GaugeAlarmTest, DialReadoutShowsTheValuePastTheScale)
{
    // The mark needs the dial's geometry, which its first paint computes.
    ASSERT_TRUE(WaitFor([&] { return !dial->GetSnapshot().needsRebuild; }));
    dial->SetValue(135);
    const TarnGauge::Snapshot s = dial->GetSnapshot();
    EXPECT_EQ(s.value, 120);      // the pointer stops at the end
    EXPECT_EQ(s.readout, 135);    // the readout does not
    EXPECT_EQ(s.valueText, "135.0");
    EXPECT_EQ(dial->GetAlarmLevel(), AlarmLevel::Danger);
    ASSERT_TRUE(s.hasPeakMark);
    // The mark sits where the pointer stops: at the end of the scale.
    EXPECT_EQ(s.peakOuter.x, PointAt(0, 0, s.layout.radius, 405).x);
}

TEST_F(GaugeAlarmTest, PeaksShowOnAltClickAndResetKeepsNothing)
{
    for (double v : {20.0, 97.5, -12.0, 60.0})
        digital->SetValue(v);
    wxMouseEvent alt(wxEVT_LEFT_DOWN);
    alt.SetAltDown(true);
    alt.SetEventObject(digital);
    digital->GetEventHandler()->ProcessEvent(alt);
    EXPECT_EQ(Title(), "max 97.5/min -12.0");
    EXPECT_FALSE(digital->GetSelector() && digital->GetSelector()->IsShown());
    // Back to the title after a while, by itself.
    EXPECT_TRUE(WaitFor([&] { return Title() == "Coolant"; }, 10000));
    digital->ResetPeaks();
    EXPECT_FALSE(digital->GetAlarmState().Peaks().HasPeaks());
    dial->SetValue(80);
    dial->ResetPeaks();
    EXPECT_FALSE(dial->GetSnapshot().hasPeakMark);
}

TEST_F(GaugeAlarmTest, NightPaletteAndAlarmsStayDistinct)
{
    digital->SetNight(true);
    dial->SetNight(true);
    const Palette& night = NightPalette();
    EXPECT_EQ(digital->GetBackgroundColour(), C(night.background));
    digital->SetValue(50);
    EXPECT_EQ(digital->GetValueColour(), C(night.digits));
    digital->SetValue(110);
    dial->SetValue(97);
    EXPECT_EQ(digital->GetValueColour(), C(night.danger));
    EXPECT_EQ(dial->GetReadoutColour(), C(night.warning));
}
