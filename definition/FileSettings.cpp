#include "definition/FileSettings.h"

#include "definition/LineReader.h"
#include "definition/LineTokenizer.h"

#include <algorithm>
#include <set>

namespace {

const char* const kDefault = "DEFAULT";

class SettingsReader : public LineReader {
public:
    FileSettings settings;
    std::vector<wxString> tested;

    void processLine() override
    {
        LineTokenizer tokens;
        tokens.tokenize(currentLine);
        const wxString& word = tokens.text(1);
        if (tokens.type(0) == TokenHash
            && (word == "if" || word == "ifdef" || word == "ifndef" || word == "elif")) {
            if (tokens.type(2) == TokenIdent)
                tested.push_back(tokens.text(2));
            return;
        }
        if (tokens.type(0) == TokenBracket) {
            inGroups = tokens.text(0) == "SettingGroups";
            return;
        }
        if (!inGroups || tokens.type(0) != TokenIdent || tokens.type(1) != TokenIdent)
            return;
        if (tokens.text(0) == "settingGroup")
            settings.groups.push_back({tokens.text(1), tokens.text(2), {}});
        else if (tokens.text(0) == "settingOption" && !settings.groups.empty())
            settings.groups.back().options.push_back({tokens.text(1), tokens.text(2)});
    }

private:
    bool inGroups = false;
};

} // namespace

FileSettings ReadFileSettings(const wxString& path)
{
    SettingsReader reader;
    if (reader.readAll(path) != 0)
        return FileSettings();
    FileSettings settings = std::move(reader.settings);
    std::set<wxString> taken;
    for (const SettingGroup& group : settings.groups) {
        taken.insert(group.name);
        for (const SettingOption& option : group.options)
            taken.insert(option.flag);
    }
    std::vector<wxString> flags{"CELSIUS"};
    for (const wxString& name : reader.tested)
        if (!taken.count(name) && std::find(flags.begin(), flags.end(), name) == flags.end())
            flags.push_back(name);
    settings.flags = flags;
    return settings;
}

void ChosenFlags(const std::map<wxString, bool>& chosen, std::vector<wxString>* set,
                 std::vector<wxString>* cleared)
{
    for (const auto& [flag, on] : chosen) {
        if (flag == kDefault)
            continue;
        (on ? set : cleared)->push_back(flag);
    }
}

wxString ChosenOption(const SettingGroup& group, const std::map<wxString, bool>& chosen)
{
    for (const SettingOption& option : group.options) {
        const auto it = chosen.find(option.flag);
        if (it != chosen.end() && it->second)
            return option.flag;
    }
    return kDefault;
}

void ChooseOption(const SettingGroup& group, const wxString& flag, std::map<wxString, bool>& chosen)
{
    for (const SettingOption& option : group.options)
        if (option.flag != kDefault)
            chosen[option.flag] = option.flag == flag;
}
