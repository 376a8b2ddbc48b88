#include "app/CommandLine.h"

#include <gtest/gtest.h>
#include <wx/arrstr.h>

namespace {

CommandLine Parse(std::initializer_list<const char*> args)
{
    std::vector<wxString> list;
    for (const char* a : args)
        list.push_back(ArgumentText(a));
    return ParseCommandLine(list);
}

} // namespace

TEST(CommandLine, DefaultsAreThoseOfTheFixedSetUp)
{
    const CommandLine line = Parse({});
    ASSERT_EQ(line.action, CommandLine::Run);
    const DashboardOptions& o = line.options;
    EXPECT_EQ(o.iniFile, "tarnv3.ini");
    EXPECT_EQ(o.datalogFile, "datalog.log");
    EXPECT_TRUE(o.port.empty());
    EXPECT_FALSE(o.input.has_value());
    EXPECT_EQ(o.size, wxSize(240, 320));
    EXPECT_FALSE(o.fullscreen || o.reset || o.trace || o.iniGiven || o.datalogGiven);
}

TEST(CommandLine, EveryOptionInBothSpellings)
{
    for (bool joined : {false, true}) {
        SCOPED_TRACE(joined ? "--opt=value" : "--opt value");
        std::vector<wxString> args;
        auto add = [&](const char* name, const char* value) {
            if (joined) {
                args.push_back(wxString(name) + "=" + ArgumentText(value));
            } else {
                args.push_back(name);
                args.push_back(ArgumentText(value));
            }
        };
        add("--ini", "defs/my.ini");
        add("--datalog", "logs/drive 1.log");
        add("--port", "/dev/serial/by-id/usb-FTDI (1) $x;'\xc3\xbc");
        add("--input", "ECU");
        add("--size", "800x480");
        add("--log-dir", "rec");
        add("--log-limit", "1048576");
        add("--set", "CELSIUS");
        add("--set", "12X12");
        add("--tune", "base.msq");
        add("--baud", "115200");
        add("--rate", "12.5");
        args.push_back("--record");
        args.push_back("--reset");
        args.push_back("--trace");
        const CommandLine line = ParseCommandLine(args);
        ASSERT_EQ(line.action, CommandLine::Run) << line.error;
        const DashboardOptions& o = line.options;
        EXPECT_EQ(o.iniFile, "defs/my.ini");
        EXPECT_TRUE(o.iniGiven);
        EXPECT_EQ(o.datalogFile, "logs/drive 1.log");
        // A port path with spaces and odd characters comes back byte for byte.
        EXPECT_EQ(ArgumentBytes(o.port), "/dev/serial/by-id/usb-FTDI (1) $x;'\xc3\xbc");
        EXPECT_EQ(o.input, InputChoice::Ecu);
        EXPECT_EQ(o.size, wxSize(800, 480));
        EXPECT_EQ(o.logDir, "rec");
        EXPECT_EQ(o.logLimit, 1048576u);
        EXPECT_EQ(o.settings, (std::vector<wxString>{"CELSIUS", "12X12"}));
        EXPECT_EQ(o.tuneFile, "base.msq");
        EXPECT_EQ(o.baud, 115200);
        EXPECT_EQ(o.rate, 12.5);
        EXPECT_TRUE(o.reset && o.trace && o.record);
    }
    EXPECT_EQ(ArgumentBytes(ArgumentText("/dev/tty\xff\xfe")), "/dev/tty\xff\xfe")
        << "bytes that are not UTF-8 survive";
    EXPECT_EQ(Parse({"--input", "file", "--input=none"}).options.input, InputChoice::None);
    EXPECT_TRUE(Parse({"--fullscreen"}).options.fullscreen);
}

TEST(CommandLine, HelpAndVersionEndTheParse)
{
    EXPECT_EQ(Parse({"--help", "--bogus"}).action, CommandLine::ShowHelp);
    EXPECT_EQ(Parse({"-h"}).action, CommandLine::ShowHelp);
    EXPECT_EQ(Parse({"--version"}).action, CommandLine::ShowVersion);
    EXPECT_NE(HelpText().Find(UsageLine()), wxNOT_FOUND);
}

// Refused with one line that names the option or the argument.
TEST(CommandLine, BadOptionsAndValuesAreNamed)
{
    struct Case {
        std::vector<const char*> args;
        const char* named;
    } cases[] = {
        {{"--bogus"}, "--bogus"},
        {{"-x"}, "-x"},
        {{"stray"}, "stray"},
        {{"--size", "0x0"}, "0x0"},
        {{"--size", "99999x5"}, "99999x5"},
        {{"--size", "abc"}, "abc"},
        {{"--size=800x"}, "--size"},
        {{"--size", "-800x480"}, "--size"},
        {{"--size", "800x480x2"}, "--size"},
        {{"--input", "serial"}, "serial"},
        {{"--log-limit", "-1"}, "--log-limit"},
        {{"--log-limit", "99999999999999999999"}, "--log-limit"},
        {{"--baud", "12345"}, "--baud"},
        {{"--rate", "0"}, "--rate"},
        {{"--rate", "-5"}, "--rate"},
        {{"--rate", "1000.5"}, "--rate"},
        {{"--rate", "fast"}, "--rate"},
        {{"--rate", "1e2"}, "--rate"},
        {{"--set", "A B"}, "--set"},
        {{"--ini"}, "--ini"},
        {{"--ini="}, "--ini"},
        {{"--reset=yes"}, "--reset"},
        {{"--size", "800x480", "--fullscreen"}, "--fullscreen"},
    };
    for (const Case& c : cases) {
        std::vector<wxString> args(c.args.begin(), c.args.end());
        SCOPED_TRACE(wxJoin(wxArrayString(args.size(), args.data()), ' ').ToStdString());
        const CommandLine line = ParseCommandLine(args);
        EXPECT_EQ(line.action, CommandLine::Refuse);
        EXPECT_NE(line.error.Find(c.named), wxNOT_FOUND) << line.error;
        EXPECT_EQ(line.error.Find('\n'), wxNOT_FOUND);
    }
}
