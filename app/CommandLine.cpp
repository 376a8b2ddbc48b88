#include "app/CommandLine.h"

#include "base/DebugLog.h"
#include "ecu/Sampling.h"
#include "serial/wxSerialPort.h"

#include <wx/regex.h>
#include <wx/strconv.h>

#include <functional>
#include <map>

namespace {

// Invalid UTF-8 goes to private-use characters and comes back as the bytes.
wxMBConvUTF8& ArgumentConversion()
{
    static wxMBConvUTF8 conversion(wxMBConvUTF8::MAP_INVALID_UTF8_TO_PUA);
    return conversion;
}

bool ParseWholeNumber(const wxString& text, uint64_t max, uint64_t* value)
{
    if (text.empty() || text.length() > 20)
        return false;
    uint64_t v = 0;
    for (wxUniChar c : text) {
        if (c < '0' || c > '9')
            return false;
        const uint64_t digit = uint64_t(c.GetValue() - '0');
        if (v > (max - digit) / 10)
            return false;
        v = v * 10 + digit;
    }
    *value = v;
    return true;
}

bool ParseSize(const wxString& text, wxSize* size)
{
    const wxString w = text.BeforeFirst('x'), h = text.AfterFirst('x');
    uint64_t width = 0, height = 0;
    if (!text.Contains("x") || !ParseWholeNumber(w, kLargestWindowSide, &width)
        || !ParseWholeNumber(h, kLargestWindowSide, &height) || width < kSmallestWindowSide
        || height < kSmallestWindowSide)
        return false;
    *size = wxSize(int(width), int(height));
    return true;
}

// What one option does with its value; false refuses the value with `why`.
struct OptionRule {
    bool takesValue;
    std::function<bool(DashboardOptions&, const wxString&, wxString* why)> apply;
};

// An option whose value is any text but an empty one, kept as it is.
OptionRule Text(wxString DashboardOptions::*field, bool DashboardOptions::*given = nullptr)
{
    return {true, [field, given](DashboardOptions& o, const wxString& v, wxString*) {
                o.*field = v;
                if (given)
                    o.*given = true;
                return !v.empty();
            }};
}

// An option without a value that turns something on.
OptionRule Switch(bool DashboardOptions::*field)
{
    return {false, [field](DashboardOptions& o, const wxString&, wxString*) {
                o.*field = true;
                return true;
            }};
}

const std::map<wxString, OptionRule>& Rules()
{
    static const std::map<wxString, OptionRule> rules = {
        {"--ini", Text(&DashboardOptions::iniFile, &DashboardOptions::iniGiven)},
        {"--datalog", Text(&DashboardOptions::datalogFile, &DashboardOptions::datalogGiven)},
        {"--port", Text(&DashboardOptions::port)},
        {"--input",
         {true,
          [](DashboardOptions& o, const wxString& v, wxString* why) {
              const wxString lower = v.Lower();
              if (lower == "none")
                  o.input = InputChoice::None;
              else if (lower == "ecu")
                  o.input = InputChoice::Ecu;
              else if (lower == "file")
                  o.input = InputChoice::File;
              else
                  *why = "one of none, ecu, file";
              return why->empty();
          }}},
        {"--size",
         {true,
          [](DashboardOptions& o, const wxString& v, wxString* why) {
              o.sizeGiven = true;
              if (!ParseSize(v, &o.size))
                  *why = wxString::Format("WIDTHxHEIGHT, each from %d to %d pixels",
                                          kSmallestWindowSide, kLargestWindowSide);
              return why->empty();
          }}},
        {"--fullscreen", Switch(&DashboardOptions::fullscreen)},
        {"--log-dir", Text(&DashboardOptions::logDir)},
        {"--log-limit",
         {true,
          [](DashboardOptions& o, const wxString& v, wxString* why) {
              uint64_t bytes = 0;
              wxString error;
              if (!ParseDebugLogLimit(v, bytes, error))
                  *why = "a whole number of bytes (0 turns the debug log off)";
              else
                  o.logLimit = bytes;
              return why->empty();
          }}},
        {"--reset", Switch(&DashboardOptions::reset)},
        {"--trace", Switch(&DashboardOptions::trace)},
        {"--set",
         {true,
          [](DashboardOptions& o, const wxString& v, wxString* why) {
              static const wxRegEx name("^[A-Za-z0-9_]+$");
              if (!name.Matches(v))
                  *why = "a setting name of letters, digits and underscores";
              else
                  o.settings.push_back(v);
              return why->empty();
          }}},
        {"--tune", Text(&DashboardOptions::tuneFile)},
        {"--baud",
         {true,
          [](DashboardOptions& o, const wxString& v, wxString* why) {
              uint64_t rate = 0;
              if (!ParseWholeNumber(v, 4000000, &rate) || !wxSerialPort::IsAcceptedRate(int(rate)))
                  *why = "a serial line speed such as 9600 or 115200";
              else
                  o.baud = int(rate);
              return why->empty();
          }}},
        {"--rate",
         {true,
          [](DashboardOptions& o, const wxString& v, wxString* why) {
              o.rate = Sampling::parseRate(ArgumentBytes(v));
              if (!o.rate)
                  *why = "fetches per second, above 0 and at most 1000";
              return why->empty();
          }}},
        {"--record", Switch(&DashboardOptions::record)},
    };
    return rules;
}

} // namespace

wxString ArgumentText(const char* bytes)
{
    return wxString(bytes ? bytes : "", ArgumentConversion());
}

std::string ArgumentBytes(const wxString& text)
{
    const wxCharBuffer buffer = text.mb_str(ArgumentConversion());
    return std::string(buffer.data(), buffer.length());
}

CommandLine ParseCommandLine(const std::vector<wxString>& args)
{
    CommandLine result;
    auto refuse = [&result](const wxString& message) {
        result.action = CommandLine::Refuse;
        result.error = message;
        return result;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const wxString& arg = args[i];
        if (arg == "-h" || arg == "--help") {
            result.action = CommandLine::ShowHelp;
            return result;
        }
        if (arg == "--version") {
            result.action = CommandLine::ShowVersion;
            return result;
        }
        const wxString name = arg.BeforeFirst('=');
        const bool inlineValue = arg.Contains("=");
        const auto rule = Rules().find(name);
        if (!arg.StartsWith("--") || rule == Rules().end()) {
            if (arg.StartsWith("-"))
                return refuse(wxString::Format("unknown option '%s'", name));
            return refuse(wxString::Format("unexpected argument '%s'", arg));
        }
        wxString value;
        if (rule->second.takesValue) {
            if (inlineValue) {
                value = arg.AfterFirst('=');
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return refuse(wxString::Format("option '%s' needs a value", name));
            }
        } else if (inlineValue) {
            return refuse(wxString::Format("option '%s' takes no value", name));
        }
        wxString why;
        if (!rule->second.apply(result.options, value, &why)) {
            if (why.empty())
                why = "a value that is not empty";
            return refuse(wxString::Format("bad value '%s' for option '%s': expected %s", value,
                                           name, why));
        }
    }
    if (result.options.sizeGiven && result.options.fullscreen)
        return refuse("options '--size' and '--fullscreen' exclude each other");
    return result;
}

wxString UsageLine()
{
    return "usage: tarndash [--ini FILE] [--datalog FILE] [--port DEVICE] "
           "[--input none|ecu|file] [--size WxH | --fullscreen] [--log-dir DIR] "
           "[--log-limit BYTES] [--reset] [--trace] [--set NAME]... [--tune FILE] [--baud N] "
           "[--rate HZ] [--record]";
}

wxString HelpText()
{
    return UsageLine() + "\n\n"
           "A dashboard for an engine-control unit.\n\n"
           "  --ini FILE          ECU definition file (default: tarnv3.ini)\n"
           "  --datalog FILE      datalog replayed by the File input (default: datalog.log)\n"
           "  --port DEVICE       serial device of the ECU (default: $TARN_SERIAL_PORT,\n"
           "                      else the port of the last --port, else /dev/ttyS0)\n"
           "  --input KIND        input at start: none, ecu or file (default: the last one)\n"
           "  --size WxH          window size, menu bar included (default: 240x320)\n"
           "  --fullscreen        fill the screen\n"
           "  --log-dir DIR       folder for recorded sessions\n"
           "  --log-limit BYTES   size limit of the debug log filelog.txt\n"
           "  --reset             forget the remembered input, port and gauge choices\n"
           "  --trace             show the traces on standard error too\n"
           "  --set NAME          set a definition file #if flag (repeatable)\n"
           "  --tune FILE         tune file with the values of constants\n"
           "  --baud N            serial line speed\n"
           "  --rate HZ           ECU fetches per second (default: as fast as the link\n"
           "                      allows; one per 300 ms for the built-in firmware)\n"
           "  --record            record the ECU input from its start\n"
           "  -h, --help          show this help\n"
           "  --version           show the version\n\n"
           "The input, the port and the gauge choices are remembered in\n"
           "$XDG_CONFIG_HOME/tarndash/tarndash.conf (~/.config/tarndash/ by default).\n";
}
