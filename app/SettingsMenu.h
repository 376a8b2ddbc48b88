#pragma once
// File > Settings: the definition file's setting groups as radio items and
// its plain #if flags as check items, each item's id drawn once per build of
// the menu. Choosing one changes the choices; the frame reads the file again.
#include "definition/FileSettings.h"

#include <map>

class wxMenu;

class SettingsMenu {
public:
    // Fills `menu` (emptied first) for `settings`, checked as `effective`
    // says (flag -> set; a flag not in it: CELSIUS set, others not).
    void Build(wxMenu& menu, const FileSettings& settings, const std::map<wxString, bool>& effective);
    // Item `id` was chosen (`checked`: a check item's new state): true when
    // it is one of this menu's, `chosen` then holds the change.
    bool Choose(long id, bool checked, std::map<wxString, bool>& chosen) const;
    bool Owns(long id) const { return items.count(id) > 0; }
    long FirstId() const { return items.empty() ? 0 : items.begin()->first; }
    long LastId() const { return items.empty() ? 0 : items.rbegin()->first; }

private:
    struct Item {
        int group = -1; // index in settings.groups; -1: a plain flag
        wxString flag;
    };
    FileSettings settings;
    std::map<long, Item> items;
};

// Whether `flag` is set under `effective`, with the reader's defaults.
bool FlagIsSet(const std::map<wxString, bool>& effective, const wxString& flag);
