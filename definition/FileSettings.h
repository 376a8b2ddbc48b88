#pragma once
// The settings a definition file lets the user choose: its setting groups
// ([SettingGroups]: a group of options, one flag each, of which at most one
// is set; "DEFAULT" sets none; a group without options is one flag), and the
// plain flags its #if lines test. CELSIUS is always among the flags.
#include <wx/string.h>

#include <map>
#include <vector>

struct SettingOption {
    wxString flag; // "DEFAULT": none of the group's flags
    wxString label;
};

struct SettingGroup {
    wxString name;
    wxString label;
    std::vector<SettingOption> options; // empty: the group is one flag, `name`
};

struct FileSettings {
    std::vector<SettingGroup> groups;
    std::vector<wxString> flags; // tested by #if and in no group, in file order
};

// Empty when the file cannot be read.
FileSettings ReadFileSettings(const wxString& path);

// Which flags the choices `chosen` (flag -> set) give for a load: the flags to
// set and the ones to clear.
void ChosenFlags(const std::map<wxString, bool>& chosen, std::vector<wxString>* set,
                 std::vector<wxString>* cleared);

// Chooses option `flag` of `group` (DEFAULT included): the others are cleared.
void ChooseOption(const SettingGroup& group, const wxString& flag, std::map<wxString, bool>& chosen);
// The flag of the option chosen in `group` under `chosen`; "DEFAULT" when none is.
wxString ChosenOption(const SettingGroup& group, const std::map<wxString, bool>& chosen);
