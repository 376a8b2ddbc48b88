#include "app/RememberedChoices.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace {

class RememberedChoicesTest : public ::testing::Test {
protected:
    void WriteFile(const std::string& bytes)
    {
        wxFileName::Mkdir(folder.file("tarndash"), 0700, wxPATH_MKDIR_FULL);
        std::ofstream(path.ToStdString(), std::ios::binary) << bytes;
    }

    const TempDir folder;
    const wxString path = folder.file("tarndash/tarndash.conf");
};

} // namespace

TEST_F(RememberedChoicesTest, ChoicesSurviveARestart)
{
    {
        RememberedChoices memory(path); // its folder does not exist yet
        std::vector<wxString> problems;
        const Remembered nothing = memory.Load(&problems);
        EXPECT_TRUE(problems.empty());
        EXPECT_FALSE(nothing.input.has_value());
        memory.SaveInput(InputChoice::File);
        memory.SavePort(ArgumentText("/dev/serial/by-id/usb-FTDI (1) \xc3\xbc"));
        memory.SaveGauge("dial", "tachometer");
        memory.SaveGauge("digital3", "lambdaGauge");
        memory.SaveGauge("digital3", "afrGauge"); // changed again
    }
    RememberedChoices again(path);
    std::vector<wxString> problems;
    const Remembered r = again.Load(&problems);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(r.input, InputChoice::File);
    EXPECT_EQ(ArgumentBytes(r.port), "/dev/serial/by-id/usb-FTDI (1) \xc3\xbc");
    EXPECT_EQ(r.gauges, (std::map<wxString, wxString>{{"dial", "tachometer"}, {"digital3", "afrGauge"}}));

    again.ForgetGauge("dial");
    EXPECT_EQ(RememberedChoices(path).Load(nullptr).gauges.count("dial"), 0u);
    EXPECT_TRUE(again.Forget()); // --reset
    EXPECT_FALSE(wxFileName::Exists(path));
    EXPECT_FALSE(RememberedChoices(path).Load(nullptr).input.has_value());
}

TEST_F(RememberedChoicesTest, NightAndEachFilesSettingsSurviveARestart)
{
    const wxString a = folder.file("defs/a.ini"), b = folder.file("defs/../b.ini");
    {
        RememberedChoices memory(path);
        memory.SaveNight(true);
        memory.SaveSettings(a, {{"CELSIUS", false}, {"pressure_bar", true}});
        memory.SaveSettings(b, {{"LAMBDA", true}});
        memory.SaveSettings(b, {{"LAMBDA", false}}); // changed again
    }
    RememberedChoices again(path);
    EXPECT_TRUE(again.Load(nullptr).night);
    EXPECT_EQ(again.LoadSettings(a),
              (std::map<wxString, bool>{{"CELSIUS", false}, {"pressure_bar", true}}));
    EXPECT_EQ(again.LoadSettings(folder.file("b.ini")), (std::map<wxString, bool>{{"LAMBDA", false}}));
    EXPECT_TRUE(again.LoadSettings(folder.file("c.ini")).empty());
}

// Damage is reported once, and the start goes on with the defaults.
TEST_F(RememberedChoicesTest, DamagedFilesAreReportedOnceAndReplaced)
{
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"binary", std::string("\x7f" "ELF\0\0\x01\x02 input=ecu", 16)},
        {"not text", "input=file\n\xff\xfe\xfd\n"},
        {"not a config file", "<html>\n<body>tarndash</body>\n"},
        {"too large", std::string(100000, '#')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFile(c.bytes);
        std::vector<wxString> problems;
        RememberedChoices memory(path);
        const Remembered r = memory.Load(&problems);
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].Find(path), wxNOT_FOUND) << problems[0];
        EXPECT_FALSE(r.input.has_value());
        EXPECT_TRUE(r.gauges.empty());
        EXPECT_TRUE(wxFileName::FileExists(path + ".damaged"));
        memory.SaveInput(InputChoice::Ecu);
        problems.clear();
        EXPECT_EQ(RememberedChoices(path).Load(&problems).input, InputChoice::Ecu);
        EXPECT_TRUE(problems.empty()) << "replaced: reported only once";
    }
}

TEST_F(RememberedChoicesTest, BadEntriesAreDroppedAndReportedOnce)
{
    WriteFile("input=banana\nport=\n[gauges]\ndial=tach\nunknown=entry\n[elsewhere]\nx=1\n");
    std::vector<wxString> problems;
    const Remembered r = RememberedChoices(path).Load(&problems);
    EXPECT_EQ(problems.size(), 2u);
    EXPECT_FALSE(r.input.has_value());
    EXPECT_TRUE(r.port.empty());
    EXPECT_EQ(r.gauges.at("dial"), "tach");
    problems.clear();
    RememberedChoices(path).Load(&problems);
    EXPECT_TRUE(problems.empty());
}

TEST_F(RememberedChoicesTest, UnreadablePlaceNeverStopsTheStart)
{
    wxFileName::Mkdir(path, 0700, wxPATH_MKDIR_FULL); // a folder where the file should be
    std::vector<wxString> problems;
    RememberedChoices memory(path);
    memory.Load(&problems);
    EXPECT_EQ(problems.size(), 1u);
    memory.SaveInput(InputChoice::Ecu); // cannot be written: nothing breaks
    EXPECT_TRUE(wxFileName::DirExists(path));
}

TEST_F(RememberedChoicesTest, FileLivesInTheXdgConfigFolder)
{
    wxString oldXdg, oldHome;
    const bool hadXdg = wxGetEnv("XDG_CONFIG_HOME", &oldXdg);
    wxGetEnv("HOME", &oldHome);
    wxSetEnv("HOME", "/home/driver");
    struct Case {
        const char* xdg; // null: unset
        const char* want;
    } cases[] = {{"/srv/cfg", "/srv/cfg/tarndash/tarndash.conf"},
                 {nullptr, "/home/driver/.config/tarndash/tarndash.conf"},
                 {"", "/home/driver/.config/tarndash/tarndash.conf"},
                 {"relative/cfg", "/home/driver/.config/tarndash/tarndash.conf"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.xdg ? c.xdg : "(unset)");
        if (c.xdg)
            wxSetEnv("XDG_CONFIG_HOME", c.xdg);
        else
            wxUnsetEnv("XDG_CONFIG_HOME");
        EXPECT_EQ(RememberedChoices::DefaultPath(), c.want);
    }
    wxSetEnv("HOME", oldHome);
    if (hadXdg)
        wxSetEnv("XDG_CONFIG_HOME", oldXdg);
    else
        wxUnsetEnv("XDG_CONFIG_HOME");
}
