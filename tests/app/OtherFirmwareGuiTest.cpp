// The main frame under Xvfb with the definition file of another firmware as
// its "tarnv3.ini", and the simulator serving that file's link on a pty: the
// dial and the digits show what the ECU sent, and a firmware that is not the
// file's is never shown as live.
#include "app/MainFrame.h"
#include "app/StatusStrip.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/ecu/SimProcess.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/menu.h>
#include <wx/stattext.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

std::string RealIni(const char* name)
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    return std::string(env && *env ? env : TARN_REALWORLD_DIR) + "/ini/" + name;
}

class OtherFirmwareTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::ifstream in(RealIni("speeduino_reference.ini"), std::ios::binary);
        if (!in)
            GTEST_SKIP() << "no real definition files at " << RealIni("");
        std::ostringstream text;
        text << in.rdbuf();
        std::ofstream(dir.file("tarnv3.ini"), std::ios::binary) << text.str();
        ASSERT_TRUE(wxSetWorkingDirectory(dir.path));
        frame = new MainFrame("V3 GUI for WinCE");
        frame->Show();
        WaitFor([this] { return frame->IsShownOnScreen(); });
    }
    void TearDown() override
    {
        if (!frame)
            return;
        SelectInput(ID_INPUT_NONE);
        frame->Destroy();
        wxYield();
    }

    void SelectInput(long id)
    {
        frame->GetMenuBar()->Check(id, true);
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetInt(1);
        frame->ProcessWindowEvent(event);
    }

    std::vector<std::string> simOptions(const std::vector<std::string>& more) const
    {
        std::vector<std::string> options = {"--ini", dir.file("tarnv3.ini"), "--datalog",
                                            TARN_TEST_DATA_DIR "/ecu/fixtures/real-ecus.log"};
        options.insert(options.end(), more.begin(), more.end());
        return options;
    }

    static double Shown(wxWindow* gauge)
    {
        wxStaticText* text = dynamic_cast<wxStaticText*>(wxWindow::FindWindowByName("ID_STATICTEXT2", gauge));
        double value = -1;
        return text && text->GetLabel().ToCDouble(&value) ? value : -1;
    }

    TempDir dir;
    MainFrame* frame = nullptr;
};

} // namespace

TEST_F(OtherFirmwareTest, DialAndDigitsShowWhatTheEcuSent)
{
    SimProcess sim(simOptions({}));
    ASSERT_TRUE(sim.ok());
    TarnGauge* dial = frame->GetAnalogGauge();
    TarnGaugeDigital* map = frame->GetDigitalGauge(0);
    SelectInput(ID_INPUT_ECU);
    // The board is given its second after the port opens before it is asked anything.
    ASSERT_TRUE(WaitFor([&] { return !dial->IsStale() && !map->IsStale(); }, 15000))
        << frame->GetStatusStrip()->GetText();
    EXPECT_EQ(frame->GetStatusStrip()->GetText(), "ECU connected, 115200 baud");
    EXPECT_TRUE(WaitFor([&] { return dial->GetValue() == 3210.0 && Shown(map) == 87.0; }, 5000))
        << dial->GetValue() << " rpm, " << Shown(map) << " kPa";
}

TEST_F(OtherFirmwareTest, AnotherFirmwareIsNeverShownAsLive)
{
    SimProcess sim(simOptions({"--signature", "speeduino 202310"}));
    ASSERT_TRUE(sim.ok());
    SelectInput(ID_INPUT_ECU);
    StatusStrip* strip = frame->GetStatusStrip();
    ASSERT_TRUE(WaitFor([&] { return strip->GetText().StartsWith("Wrong firmware"); }, 15000))
        << strip->GetText();
    EXPECT_EQ(strip->GetMark(), StatusStrip::Mark::Bad);
    EXPECT_TRUE(frame->GetAnalogGauge()->IsStale());
    EXPECT_TRUE(frame->GetDigitalGauge(0)->IsStale());
}
