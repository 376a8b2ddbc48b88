#include "app/SettingsMenu.h"

#include <wx/intl.h>
#include <wx/menu.h>

bool FlagIsSet(const std::map<wxString, bool>& effective, const wxString& flag)
{
    const auto it = effective.find(flag);
    return it != effective.end() ? it->second : flag == "CELSIUS";
}

void SettingsMenu::Build(wxMenu& menu, const FileSettings& file,
                         const std::map<wxString, bool>& effective)
{
    while (menu.GetMenuItemCount() > 0)
        menu.Destroy(menu.FindItemByPosition(0));
    settings = file;
    items.clear();
    // Ids in one ascending run, so that the frame binds them as a range.
    auto add = [this](int group, const wxString& flag) {
        const long id = wxNewId();
        items[id] = Item{group, flag};
        return id;
    };
    for (size_t g = 0; g < settings.groups.size(); ++g) {
        const SettingGroup& group = settings.groups[g];
        const wxString title = group.label.empty() ? group.name : group.label;
        if (group.options.empty()) {
            const long id = add(int(g), group.name);
            menu.AppendCheckItem(id, title);
            menu.Check(id, FlagIsSet(effective, group.name));
            continue;
        }
        wxMenu* sub = new wxMenu;
        const wxString chosen = ChosenOption(group, effective);
        for (const SettingOption& option : group.options) {
            const long id = add(int(g), option.flag);
            sub->AppendRadioItem(id, option.label.empty() ? option.flag : option.label);
            if (option.flag == chosen)
                sub->Check(id, true);
        }
        menu.AppendSubMenu(sub, title);
    }
    if (!settings.groups.empty() && !settings.flags.empty())
        menu.AppendSeparator();
    for (const wxString& flag : settings.flags) {
        const long id = add(-1, flag);
        menu.AppendCheckItem(id, flag);
        menu.Check(id, FlagIsSet(effective, flag));
    }
}

bool SettingsMenu::Choose(long id, bool checked, std::map<wxString, bool>& chosen) const
{
    const auto it = items.find(id);
    if (it == items.end())
        return false;
    const Item& item = it->second;
    if (item.group >= 0 && !settings.groups[size_t(item.group)].options.empty())
        ChooseOption(settings.groups[size_t(item.group)], item.flag, chosen);
    else
        chosen[item.flag] = checked;
    return true;
}
