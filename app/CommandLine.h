#pragma once
// The dashboard's command line, parsed into one record without a display:
//
//   tarndash [--ini FILE] [--datalog FILE] [--port DEVICE] [--input none|ecu|file]
//            [--size WxH | --fullscreen] [--kiosk] [--log-dir DIR] [--log-limit BYTES] [--reset]
//            [--trace] [--set NAME]... [--tune FILE] [--baud N] [--rate HZ] [--record]
//            [--quiet-ms N] [--night] [--alarm-command CMD]
//
// Long options take their value as `--opt=value` or `--opt value`; a repeated
// option replaces the earlier value (--set adds one more). `-h`/`--help` and
// `--version` end the parse. Anything else (an unknown option, a missing or
// malformed value, a stray argument) is refused with a one-line message that
// names it; the caller prints it with the usage line and exits with status 2.
#include <wx/gdicmn.h>
#include <wx/string.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class InputChoice { None, Ecu, File };

struct DashboardOptions {
    wxString iniFile = "tarnv3.ini";
    bool iniGiven = false;
    wxString datalogFile = "datalog.log";
    bool datalogGiven = false;
    wxString port; // empty: not given
    std::optional<InputChoice> input;
    wxSize size = wxSize(240, 320); // the whole frame, menu bar included
    bool sizeGiven = false;
    bool fullscreen = false;
    // No menu item ends the dashboard (a tap cannot); Alt+X still does.
    bool kiosk = false;
    wxString logDir; // empty: not given
    std::optional<uint64_t> logLimit;
    bool reset = false;
    bool trace = false;
    std::vector<wxString> settings; // definition file #if flags, in the order given
    wxString tuneFile;              // empty: not given
    std::optional<int> baud;
    std::optional<int> quietMs; // the least quiet window after a reply without a check byte
    std::optional<double> rate; // ECU fetches per second
    bool record = false;        // record the ECU input from its start
    bool night = false;   // night colours, whatever was remembered
    wxString alarmCommand; // run by the shell when a value enters danger; empty: none
    // Flags chosen off in the Settings menu (CELSIUS among them); --set wins.
    std::vector<wxString> clearedSettings;
    // Not an option: what the start chose for the user (the installed sample
    // files), said in the status strip for a while.
    wxString startNotice;
};

struct CommandLine {
    enum Action { Run, ShowHelp, ShowVersion, Refuse };
    Action action = Run;
    DashboardOptions options;
    wxString error; // with Refuse: one line naming the option or argument
};

// `args` are the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<wxString>& args);

// Command-line bytes to text and back, exactly: bytes that are not UTF-8 (a
// device or file name in another encoding) survive the round trip.
wxString ArgumentText(const char* bytes);
std::string ArgumentBytes(const wxString& text);

// Window sides --size accepts, in pixels.
constexpr int kSmallestWindowSide = 100;
constexpr int kLargestWindowSide = 4096;

wxString UsageLine();
// The usage line and one line per option.
wxString HelpText();
