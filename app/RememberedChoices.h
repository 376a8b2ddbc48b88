#pragma once
// What the dashboard keeps between runs: the input, the serial port given with
// --port, the description each gauge shows (by the description's name in
// the definition file), night colours, and per definition file the settings
// chosen in its Settings menu. One small text file in the user's configuration
// folder, read at start and written (atomically) at each change, so that
// pulling the power loses nothing already chosen.
//
// A file that cannot be read or parsed is reported once and replaced by the
// defaults (the damaged one is kept beside it as FILE.damaged); an entry with
// a value that makes no sense is reported once and dropped. Neither ever
// stops the start.
#include "app/CommandLine.h"

#include <wx/string.h>

#include <map>
#include <memory>
#include <optional>
#include <vector>

class wxFileConfig;

struct Remembered {
    std::optional<InputChoice> input;
    wxString port;                       // empty: none remembered
    std::map<wxString, wxString> gauges; // slot -> description name
    bool night = false;
};

class RememberedChoices {
public:
    // $XDG_CONFIG_HOME/tarndash/tarndash.conf; when XDG_CONFIG_HOME is unset,
    // empty or not absolute, $HOME/.config/tarndash/tarndash.conf.
    static wxString DefaultPath();

    explicit RememberedChoices(const wxString& path);
    ~RememberedChoices();
    const wxString& GetPath() const { return path; }

    // Reads the file (a missing one holds nothing). Each problem found is
    // described in `problems`, one line each, for the user.
    Remembered Load(std::vector<wxString>* problems);
    // Forgets everything: the file is removed.
    bool Forget();

    void SaveInput(InputChoice input);
    void SavePort(const wxString& port);
    // Slot "dial" or "digital1".."digital4"; an empty name forgets the slot.
    void SaveGauge(const wxString& slot, const wxString& descName);
    // Drops one remembered gauge (a name the definition file no longer has).
    void ForgetGauge(const wxString& slot);
    void SaveNight(bool night);
    // The settings chosen for the definition file at `definitionPath` (made
    // absolute), flag -> set; empty when none were.
    std::map<wxString, bool> LoadSettings(const wxString& definitionPath);
    void SaveSettings(const wxString& definitionPath, const std::map<wxString, bool>& chosen);

    // The slots of the dial and of digital gauge `i` (0-based).
    static wxString DialSlot() { return "dial"; }
    static wxString DigitalSlot(int i) { return wxString::Format("digital%d", i + 1); }

    static wxString InputName(InputChoice input);
    static std::optional<InputChoice> InputFromName(const wxString& name);

private:
    // Opens the file for writing, creating its folder; null when impossible.
    wxFileConfig* Config();
    void Flush();

    wxString path;
    std::unique_ptr<wxFileConfig> config;
};
