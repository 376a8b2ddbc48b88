// The main frame under Xvfb with the definition files of other firmwares, and
// the simulator serving each file's link on a pty: the dial and the digits
// show what the ECU sent, and a firmware that is not the file's is never
// shown as live.
#include "app/MainFrame.h"
#include "app/StatusStrip.h"
#include "definition/SymbolTable.h"
#include "dispatch/GaugeUpdater.h"
#include "ecu/RTDataMgrSerial.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/app/FrameDriver.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/menu.h>
#include <wx/stattext.h>

#include <cstdlib>
#include <unistd.h>

namespace {

const char* const kFixedValues = TARN_TEST_DATA_DIR "/ecu/fixtures/real-ecus.log";

std::string RealIni(const char* name)
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    return std::string(env && *env ? env : TARN_REALWORLD_DIR) + "/ini/" + name;
}

class OtherFirmwareTest : public ::testing::Test {
protected:
    void TearDown() override { Close(); }

    // A frame on `ini` (its "--ini"), in a scratch working directory.
    void Open(const std::string& ini)
    {
        Close();
        ASSERT_TRUE(wxSetWorkingDirectory(dir.path));
        FrameStart start;
        start.options.iniFile = wxString::FromUTF8(ini);
        frame = new MainFrame("V3 GUI for WinCE", start);
        frame->Show();
        WaitFor([this] { return frame->IsShownOnScreen(); });
    }
    void Close()
    {
        if (!frame)
            return;
        SelectInput(ID_INPUT_NONE);
        frame->Destroy();
        wxYield();
        frame = nullptr;
    }

    void SelectInput(long id) { ::SelectInput(frame, id); }

    // The first digital gauge shows the description of `symbol`.
    void ShowOnDigits(const wxString& symbol)
    {
        const GaugeDescList& all = currentSymbolTable()->getGauges();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i]->getSymbolName() == symbol)
                frame->GetDigitalGauge(0)->SetDefaultGaugeDesc(static_cast<int>(i));
    }

    static double Shown(wxWindow* gauge)
    {
        auto* text = dynamic_cast<wxStaticText*>(wxWindow::FindWindowByName("ID_STATICTEXT2", gauge));
        double value = -1;
        return text && text->GetLabel().ToCDouble(&value) ? value : -1;
    }

    TempDir dir;
    MainFrame* frame = nullptr;
};

} // namespace

TEST_F(OtherFirmwareTest, DialAndDigitsShowWhatTheEcuSent)
{
    // rusEFI's rev counter reaches rpmHardLimit + 2000, its limit as the ECU's page holds it.
    const std::string tune =
        dir.write("car.msq", "<msq><constant name=\"rpmHardLimit\">7000</constant></msq>");
    const struct {
        const char* file;
        const char* dial; // its symbol
        double rpm;
        const char* digits;
        double value;
        int pages;
        double dialMax; // 0: the file's own
    } cases[] = {
        {"speeduino_reference.ini", "rpm", 1870, "map", 87, 15, 0},
        {"rusefi_mre_f4.ini", "RPMValue", 1870, "MAPValue", 87, 1, 9000},
        {"ms2extra_Serial321.ini", "rpm", 1870, "map", 87, 6, 0},
        // Its MAP comes from a lookup table file that is not beside it.
        {"ms1_megasquirt-I_BnG_2.0-3.0.ini", "rpm", 1800, "mapADC", 100, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string ini = RealIni(c.file);
        if (::access(ini.c_str(), R_OK) != 0)
            GTEST_SKIP() << "no real definition files at " << ini;
        SimProcess sim({"--ini", ini, "--datalog", kFixedValues, "--tune", tune});
        ASSERT_TRUE(sim.ok());
        Open(ini);
        TarnGauge* dial = frame->GetAnalogGauge();
        TarnGaugeDigital* digits = frame->GetDigitalGauge(0);
        dial->SetDefaultGaugeDesc(c.dial);
        ShowOnDigits(c.digits);
        SelectInput(ID_INPUT_ECU);
        // The rate of records between the two, as the input fetches on its own.
        const wxString status = wxString::FromUTF8(" records/s \xC2\xB7 ") +
                                wxString::Format("Constants read from the ECU (%d pages)", c.pages);
        EXPECT_TRUE(WaitFor(
            [&] {
                const wxString shown = frame->GetStatusStrip()->GetText();
                return dial->GetSnapshot().value == c.rpm && Shown(digits) == c.value &&
                       shown.StartsWith("ECU connected, 115200 baud, ") && shown.EndsWith(status);
            },
            15000))
            << dial->GetSnapshot().value << " and " << Shown(digits) << "; "
            << frame->GetStatusStrip()->GetText();
        EXPECT_FALSE(dial->GetSnapshot().stale);
        if (c.dialMax != 0)
            EXPECT_EQ(dial->GetSnapshot().desc->getMaxValue(), c.dialMax);
        // File > Read constants reads them all again.
        wxCommandEvent read(wxEVT_MENU, ID_READ_CONSTANTS);
        frame->ProcessWindowEvent(read);
        EXPECT_TRUE(frame->GetStatusStrip()->GetText().EndsWith("Reading constants from the ECU"))
            << frame->GetStatusStrip()->GetText();
        EXPECT_TRUE(WaitFor([&] { return frame->GetStatusStrip()->GetText().EndsWith(status); }, 15000))
            << frame->GetStatusStrip()->GetText();
        Close();
    }
}

TEST_F(OtherFirmwareTest, AnotherFirmwareIsNeverShownAsLive)
{
    const std::string ini = RealIni("speeduino_reference.ini");
    if (::access(ini.c_str(), R_OK) != 0)
        GTEST_SKIP() << "no real definition files at " << ini;
    SimProcess sim({"--ini", ini, "--datalog", kFixedValues, "--signature", "speeduino 202310"});
    ASSERT_TRUE(sim.ok());
    Open(ini);
    SelectInput(ID_INPUT_ECU);
    StatusStrip* strip = frame->GetStatusStrip();
    ASSERT_TRUE(WaitFor([&] { return strip->GetText().StartsWith("Wrong firmware"); }, 15000))
        << strip->GetText();
    EXPECT_EQ(strip->GetMark(), StatusStrip::Mark::Bad);
    EXPECT_TRUE(frame->GetAnalogGauge()->GetSnapshot().stale);
    EXPECT_TRUE(frame->GetDigitalGauge(0)->IsStale());
    EXPECT_NE(frame->GetAnalogGauge()->GetSnapshot().value, 1870.0);
}

// Only the bytes of the channels shown are fetched; a gauge changed asks for
// its channel from the next tick on, and a recording asks for every byte.
TEST_F(OtherFirmwareTest, OnlyWhatIsShownIsFetched)
{
    const std::string ini = RealIni("speeduino_reference.ini");
    if (::access(ini.c_str(), R_OK) != 0)
        GTEST_SKIP() << "no real definition files at " << ini;
    SimProcess sim({"--ini", ini, "--datalog", kFixedValues});
    ASSERT_TRUE(sim.ok());
    Open(ini);
    SelectInput(ID_INPUT_ECU);
    auto* ecu = dynamic_cast<RTDataMgrSerial*>(frame->GetDispatcher()->GetInput());
    ASSERT_NE(ecu, nullptr);
    ASSERT_TRUE(WaitFor([&] { return frame->GetAnalogGauge()->GetSnapshot().value == 1870; }, 15000));
    const auto asked = [ecu] {
        int32_t bytes = 0;
        for (const ByteRange& range : ecu->getWantedRanges())
            bytes += range.count;
        return bytes;
    };
    EXPECT_TRUE(rangesCover(ecu->getWantedRanges(), 14, 2)) << "rpm, on the dial";
    EXPECT_GT(asked(), 0);
    EXPECT_LT(asked(), 130);

    ShowOnDigits("secl");
    EXPECT_TRUE(WaitFor([&] { return Shown(frame->GetDigitalGauge(0)) == 7; }, 5000));
    EXPECT_TRUE(rangesCover(ecu->getWantedRanges(), 0, 1)) << "secl, on the digits";

    frame->GetMenuBar()->Check(ID_RECORD, true);
    wxCommandEvent record(wxEVT_MENU, ID_RECORD);
    record.SetInt(1);
    frame->ProcessWindowEvent(record);
    EXPECT_TRUE(ecu->getWantedRanges().empty()) << "the whole block while recording";
    frame->GetMenuBar()->Check(ID_RECORD, false);
    record.SetInt(0);
    frame->ProcessWindowEvent(record);
    EXPECT_GT(asked(), 0);
}
