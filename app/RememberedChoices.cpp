#include "app/RememberedChoices.h"

#include "base/DebugLog.h"

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/utils.h>

#include <fstream>

namespace {

const char* const kGaugeGroup = "/gauges/";
const char* const kSettingsGroup = "/settings/";

// A definition file's group: a stable name for its absolute path (which may
// hold anything a key may not), and the path itself beside the flags.
wxString SettingsGroupOf(const wxString& definitionPath)
{
    wxFileName name(definitionPath);
    name.MakeAbsolute();
    const std::string bytes = name.GetFullPath().utf8_string();
    uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const char c : bytes)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return kSettingsGroup + wxString::Format("%016llx", static_cast<unsigned long long>(hash));
}
// A choices file is a few lines; anything larger is not one of ours.
const size_t kMaxFileBytes = 64 * 1024;

// Counts the errors the toolkit's parser reports while it lives.
class ErrorCounter : public wxLog {
public:
    ErrorCounter() { previous = wxLog::SetActiveTarget(this); }
    ~ErrorCounter() override { wxLog::SetActiveTarget(previous); }
    int errors = 0;
    wxString first;

protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo&) override
    {
        if (level <= wxLOG_Warning && errors++ == 0)
            first = msg;
    }

private:
    wxLog* previous = nullptr;
};

bool IsValidUtf8(const std::string& bytes)
{
    return !wxString::FromUTF8(bytes.data(), bytes.size()).empty() || bytes.empty();
}

// Why the file cannot serve as a choices file, or empty when it can.
wxString Damage(const wxString& path)
{
    if (!wxFileName::Exists(path))
        return wxString();
    if (!wxFileName::FileExists(path))
        return "it is not a regular file";
    std::ifstream in(ArgumentBytes(path), std::ios::binary);
    if (!in)
        return "it cannot be read";
    std::string bytes;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, size_t(in.gcount()));
        if (bytes.size() > kMaxFileBytes)
            return "it is far too large";
    }
    if (bytes.find('\0') != std::string::npos || !IsValidUtf8(bytes))
        return "it holds binary data";
    ErrorCounter counter;
    wxMemoryInputStream stream(bytes.data(), bytes.size());
    wxFileConfig parsed(stream);
    if (counter.errors > 0) {
        wxString why = counter.first;
        why.Replace("file '', ", ""); // a stream has no name
        return why;
    }
    return wxString();
}

void Report(std::vector<wxString>* problems, const wxString& text)
{
    DebugLog(1, text);
    if (problems)
        problems->push_back(text);
}

} // namespace

wxString RememberedChoices::DefaultPath()
{
    wxString base;
    if (!wxGetEnv("XDG_CONFIG_HOME", &base) || !wxFileName(base).IsAbsolute()) {
        wxString home;
        if (!wxGetEnv("HOME", &home) || home.empty())
            home = wxGetHomeDir();
        base = home + "/.config";
    }
    return base + "/tarndash/tarndash.conf";
}

RememberedChoices::RememberedChoices(const wxString& file) : path(file)
{
}

RememberedChoices::~RememberedChoices()
{
    wxLogNull quiet; // the toolkit writes what is left unwritten, and may fail
    config.reset();
}

wxString RememberedChoices::InputName(InputChoice input)
{
    switch (input) {
    case InputChoice::Ecu:
        return "ecu";
    case InputChoice::File:
        return "file";
    case InputChoice::None:
        break;
    }
    return "none";
}

std::optional<InputChoice> RememberedChoices::InputFromName(const wxString& name)
{
    for (InputChoice c : {InputChoice::None, InputChoice::Ecu, InputChoice::File})
        if (name == InputName(c))
            return c;
    return std::nullopt;
}

Remembered RememberedChoices::Load(std::vector<wxString>* problems)
{
    Remembered remembered;
    {
        wxLogNull quiet;
        config.reset();
    }
    const wxString damage = Damage(path);
    if (!damage.empty()) {
        Report(problems, wxString::Format("the remembered choices in %s are damaged (%s); "
                                          "starting from the defaults",
                                          path, damage));
        if (wxFileName::FileExists(path))
            wxRenameFile(path, path + ".damaged", true);
        return remembered;
    }
    wxFileConfig* c = Config();
    if (!c)
        return remembered;

    wxString text;
    if (c->Read("/input", &text)) {
        remembered.input = InputFromName(text);
        if (!remembered.input) {
            Report(problems, wxString::Format("remembered input '%s' is not none, ecu or file; "
                                              "ignored",
                                              text));
            c->DeleteEntry("/input");
        }
    }
    if (c->Read("/port", &text)) {
        if (text.empty() || text.find_first_of("\n\r") != wxString::npos) {
            Report(problems, "remembered port is empty; ignored");
            c->DeleteEntry("/port");
        } else {
            remembered.port = text;
        }
    }
    bool night = false;
    if (c->Read("/night", &night))
        remembered.night = night;
    c->SetPath(kGaugeGroup);
    wxString slot;
    long cookie = 0;
    for (bool more = c->GetFirstEntry(slot, cookie); more; more = c->GetNextEntry(slot, cookie))
        if (c->Read(slot, &text) && !text.empty())
            remembered.gauges[slot] = text;
    c->SetPath("/");
    Flush();
    return remembered;
}

bool RememberedChoices::Forget()
{
    {
        wxLogNull quiet;
        config.reset();
    }
    return !wxFileName::Exists(path) || wxRemoveFile(path);
}

wxFileConfig* RememberedChoices::Config()
{
    if (config)
        return config.get();
    const wxFileName name(path);
    if (!name.DirExists() && !wxFileName::Mkdir(name.GetPath(), 0700, wxPATH_MKDIR_FULL))
        return nullptr;
    wxLogNull quiet; // damage was checked before; nothing left to say
    config = std::make_unique<wxFileConfig>(wxString(), wxString(), path, wxString(),
                                            wxCONFIG_USE_LOCAL_FILE);
    return config.get();
}

void RememberedChoices::Flush()
{
    wxLogNull quiet; // the toolkit's own complaint would say less than ours
    if (config && !config->Flush())
        DebugLog(1, wxString::Format("cannot write the remembered choices to %s", path));
}

void RememberedChoices::SaveInput(InputChoice input)
{
    if (wxFileConfig* c = Config()) {
        c->Write("/input", InputName(input));
        Flush();
    }
}

void RememberedChoices::SavePort(const wxString& port)
{
    if (wxFileConfig* c = Config()) {
        c->Write("/port", port);
        Flush();
    }
}

void RememberedChoices::SaveGauge(const wxString& slot, const wxString& descName)
{
    if (wxFileConfig* c = Config()) {
        if (descName.empty())
            c->DeleteEntry(kGaugeGroup + slot);
        else
            c->Write(kGaugeGroup + slot, descName);
        Flush();
    }
}

void RememberedChoices::ForgetGauge(const wxString& slot)
{
    SaveGauge(slot, wxString());
}

void RememberedChoices::SaveNight(bool night)
{
    if (wxFileConfig* c = Config()) {
        c->Write("/night", night);
        Flush();
    }
}

std::map<wxString, bool> RememberedChoices::LoadSettings(const wxString& definitionPath)
{
    std::map<wxString, bool> chosen;
    wxFileConfig* c = Config();
    wxString text;
    if (!c || !c->Read(SettingsGroupOf(definitionPath) + "/flags", &text))
        return chosen;
    // "NAME=1,OTHER=0"
    for (const wxString& item : wxSplit(text, ',')) {
        const wxString flag = item.BeforeFirst('='), value = item.AfterFirst('=');
        if (!flag.empty() && (value == "0" || value == "1"))
            chosen[flag] = value == "1";
    }
    return chosen;
}

void RememberedChoices::SaveSettings(const wxString& definitionPath,
                                     const std::map<wxString, bool>& chosen)
{
    wxFileConfig* c = Config();
    if (!c)
        return;
    wxString text;
    for (const auto& [flag, on] : chosen)
        text += (text.empty() ? "" : ",") + flag + (on ? "=1" : "=0");
    const wxString group = SettingsGroupOf(definitionPath);
    wxFileName name(definitionPath);
    name.MakeAbsolute();
    c->Write(group + "/file", name.GetFullPath());
    c->Write(group + "/flags", text);
    Flush();
}
