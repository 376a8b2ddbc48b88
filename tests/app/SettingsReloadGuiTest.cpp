// File > Settings: another choice reads the definition file again at once,
// with the input running on (the ECU's link stays connected, a replay stays
// where it is), the gauges keeping their descriptions, and the choice
// remembered for that file.
#include "app/MainFrame.h"
#include "app/RememberedChoices.h"
#include "definition/SymbolTable.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "gaugemodel/GaugeDescChooser.h"
#include "dispatch/GaugeUpdater.h"
#include "link/TarnProtocol.h"
#include "serial/SerialPortHandler.h"
#include "tests/app/FrameDriver.h"
#include "tests/support/SimProcess.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>

#include <cmath>
#include <cstdlib>
#include <unistd.h>

namespace {

std::string RealIni(const char* name)
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    return std::string(env && *env ? env : TARN_REALWORLD_DIR) + "/ini/" + name;
}

std::string RealLog(const char* name)
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    return std::string(env && *env ? env : TARN_REALWORLD_DIR) + "/logs/" + name;
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
    start.options.record = true;
    start.options.logDir = wxString::FromUTF8(dir.file("logs"));
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
    const InputSession* session = frame->GetSession();
    const int queries = sim.logCount("the query: signature");
    const int requests = sim.logCount("runtime data");
    const int opens = TarnProtocol::getInstance()->getPort()->getOpenCount();
    const wxString firstRecording = RecordingOf(frame)->GetPath();

    const long ms = frame->ChooseSettings({{"CELSIUS", false}});
    std::printf("reload of %s without CELSIUS, ECU input running: %ld ms\n", ini.c_str(), ms);
    RecordProperty("reload_ms", int(ms));
    // The same gauges, in Fahrenheit now, and the input comes back by itself.
    EXPECT_EQ(Shown(digits)->getName(), "cltGauge");
    EXPECT_EQ(Shown(digits)->getMaxValue(), 248);
    EXPECT_EQ(frame->GetAnalogGauge()->GetSnapshot().desc->getName(), dialName);
    EXPECT_TRUE(frame->GetMenuBar()->IsChecked(ID_INPUT_ECU));
    EXPECT_TRUE(WaitFor([&] { return !frame->GetAnalogGauge()->GetSnapshot().stale; }, 15000));
    // On the same link: the simulator was not asked who it is again, nor the port opened again.
    EXPECT_EQ(frame->GetSession(), session);
    EXPECT_NE(sim.waitForLog("runtime data", requests + 3, 5000), "");
    EXPECT_EQ(sim.logCount("the query: signature"), queries);
    EXPECT_EQ(TarnProtocol::getInstance()->getPort()->getOpenCount(), opens);
    // The recording goes on in a file of its own, with the new file's columns.
    EXPECT_TRUE(RecordingOf(frame)->IsRecording());
    EXPECT_NE(RecordingOf(frame)->GetPath(), firstRecording);
    EXPECT_EQ(memory.LoadSettings(wxString::FromUTF8(ini)), (std::map<wxString, bool>{{"CELSIUS", false}}));
    EXPECT_FALSE(FlagIsSet(frame->EffectiveSettings(), "CELSIUS"));

    SelectInput(frame, ID_INPUT_NONE);
    frame->Destroy();
    wxYield();
}

TEST(SettingsReload, AReplayKeepsItsPlaceAndFindsItsColumnsAgain)
{
    const std::string ini = RealIni("speeduino_reference.ini");
    const std::string log = RealLog("speeduino_ultralog_example.mlg");
    if (::access(ini.c_str(), R_OK) != 0 || ::access(log.c_str(), R_OK) != 0)
        GTEST_SKIP() << "no real definition files or logs at " << ini;
    TempDir dir;
    ASSERT_TRUE(wxSetWorkingDirectory(dir.path));
    FrameStart start;
    start.options.iniFile = wxString::FromUTF8(ini);
    start.options.datalogFile = wxString::FromUTF8(log);
    MainFrame* frame = new MainFrame("settings", start);
    frame->Show();
    TarnGaugeDigital* digits = frame->GetDigitalGauge(0);
    digits->SetDefaultGaugeDesc(GaugeDescChooser(&currentSymbolTable()->getGauges()).FindByName("cltGauge"));
    SelectInput(frame, ID_INPUT_FILE);
    ASSERT_NE(ReplayOf(frame), nullptr);
    frame->GetTimer().Stop();
    wxCommandEvent forward(wxEVT_MENU, ID_REPLAY_FORWARD); // shows the record sought at once
    frame->ProcessWindowEvent(forward);
    const size_t at = ReplayOf(frame)->GetRecord();
    ASSERT_GT(at, 0u);
    const double coolant = frame->GetDispatcher()->GetValues().find("coolant")->second;
    ASSERT_TRUE(std::isfinite(coolant));

    const long ms = frame->ChooseSettings({{"CELSIUS", false}});
    std::printf("reload of %s without CELSIUS, replay running: %ld ms\n", ini.c_str(), ms);
    // The same record at once, from the column the new file finds (the log's own unit).
    EXPECT_EQ(ReplayOf(frame)->GetRecord(), at);
    EXPECT_DOUBLE_EQ(frame->GetDispatcher()->GetValues().find("coolant")->second, coolant);

    SelectInput(frame, ID_INPUT_NONE);
    frame->Destroy();
    wxYield();
}
