// File > Settings: another choice reads the definition file again at once,
// with the ECU input running, the gauges keeping their descriptions, and the
// choice remembered for that file.
#include "app/MainFrame.h"
#include "app/RememberedChoices.h"
#include "definition/SymbolTable.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "gaugemodel/GaugeDescChooser.h"
#include "tests/app/FrameDriver.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>

#include <cstdlib>
#include <unistd.h>

namespace {

std::string RealIni(const char* name)
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    return std::string(env && *env ? env : TARN_REALWORLD_DIR) + "/ini/" + name;
}

const TARNGaugeDesc* Shown(TarnGaugeDigital* gauge)
{
    const GaugeDescList& all = currentSymbolTable()->getGauges();
    const int i = gauge->GetDefaultGaugeId();
    return i >= 0 && size_t(i) < all.size() ? all[size_t(i)] : nullptr;
}

} // namespace

TEST(SettingsReload, AnotherSettingKeepsTheInputAndTheGauges)
{
    const std::string ini = RealIni("speeduino_reference.ini");
    if (::access(ini.c_str(), R_OK) != 0)
        GTEST_SKIP() << "no real definition files at " << ini;
    SimProcess sim({"--ini", ini, "--datalog", TARN_TEST_DATA_DIR "/ecu/fixtures/real-ecus.log"});
    ASSERT_TRUE(sim.ok());
    TempDir dir;
    ASSERT_TRUE(wxSetWorkingDirectory(dir.path));
    RememberedChoices memory(wxString::FromUTF8(dir.file("choices.conf")));
    FrameStart start;
    start.options.iniFile = wxString::FromUTF8(ini);
    start.memory = &memory;
    MainFrame* frame = new MainFrame("settings", start);
    frame->Show();

    // The file's groups and its plain flags, CELSIUS among them.
    const FileSettings& settings = frame->GetFileSettings();
    ASSERT_FALSE(settings.groups.empty());
    EXPECT_EQ(settings.groups.front().name, "pressure_units");
    EXPECT_NE(std::find(settings.flags.begin(), settings.flags.end(), "CELSIUS"), settings.flags.end());
    EXPECT_NE(std::find(settings.flags.begin(), settings.flags.end(), "LAMBDA"), settings.flags.end());

    TarnGaugeDigital* digits = frame->GetDigitalGauge(0);
    digits->SetDefaultGaugeDesc(GaugeDescChooser(&currentSymbolTable()->getGauges()).FindByName("cltGauge"));
    ASSERT_EQ(Shown(digits)->getMaxValue(), 120);
    SelectInput(frame, ID_INPUT_ECU);
    ASSERT_TRUE(WaitFor([&] { return !frame->GetAnalogGauge()->GetSnapshot().stale; }, 15000));
    const wxString dialName = frame->GetAnalogGauge()->GetSnapshot().desc->getName();

    const long ms = frame->ChooseSettings({{"CELSIUS", false}});
    std::printf("reload of %s without CELSIUS, ECU input running: %ld ms\n", ini.c_str(), ms);
    RecordProperty("reload_ms", int(ms));
    // The same gauges, in Fahrenheit now, and the input comes back by itself.
    EXPECT_EQ(Shown(digits)->getName(), "cltGauge");
    EXPECT_EQ(Shown(digits)->getMaxValue(), 248);
    EXPECT_EQ(frame->GetAnalogGauge()->GetSnapshot().desc->getName(), dialName);
    EXPECT_TRUE(frame->GetMenuBar()->IsChecked(ID_INPUT_ECU));
    EXPECT_TRUE(WaitFor([&] { return !frame->GetAnalogGauge()->GetSnapshot().stale; }, 15000));
    EXPECT_EQ(memory.LoadSettings(wxString::FromUTF8(ini)), (std::map<wxString, bool>{{"CELSIUS", false}}));
    EXPECT_FALSE(FlagIsSet(frame->EffectiveSettings(), "CELSIUS"));

    SelectInput(frame, ID_INPUT_NONE);
    frame->Destroy();
    wxYield();
}
