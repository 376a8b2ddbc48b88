// The dashboard executable.
#include "base/AssertHandler.h"
#include "app/CommandLine.h"
#include "app/MainApp.h"
#include "gauges/SevenSegmentFont.h"

#include <wx/filename.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

wxIMPLEMENT_APP_NO_MAIN(MainApp);

namespace {

void Print(FILE* to, const wxString& text)
{
    std::fprintf(to, "%s\n", static_cast<const char*>(text.utf8_str()));
}

int Refuse(const wxString& message)
{
    Print(stderr, "tarndash: " + message);
    Print(stderr, UsageLine());
    return 2;
}

// A file named on the command line must be there to be read.
bool Readable(const wxString& path)
{
    return wxFileName::FileExists(path) && wxFileName::IsFileReadable(path);
}

bool HasDisplay()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

// Installed, started where there is no definition file (a desktop's menu
// starts it in $HOME): the sample files installed beside the program.
void UseInstalledSamples(DashboardOptions& options)
{
    if (options.iniGiven || wxFileName::FileExists(options.iniFile))
        return;
    char exe[4096];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0)
        return;
    exe[length] = '\0';
    wxFileName samples = wxFileName::DirName(wxPathOnly(wxString::FromUTF8(exe)) + "/../" TARN_SAMPLES_FROM_BIN);
    samples.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    const wxString ini = wxFileName(samples.GetPath(), "tarnv3.ini").GetFullPath();
    if (!wxFileName::FileExists(ini))
        return;
    options.startNotice = wxString::Format("No %s here: the sample files of %s", options.iniFile, samples.GetPath());
    options.iniFile = ini;
    const wxString log = wxFileName(samples.GetPath(), "datalog.log").GetFullPath();
    if (!options.datalogGiven && !wxFileName::FileExists(options.datalogFile) && wxFileName::FileExists(log))
        options.datalogFile = log;
}

const char* const kNoDisplayHint =
    "tarndash: no display to show the dashboard on. On a machine without one, "
    "run it on a virtual display: xvfb-run -a tarndash [OPTIONS]";

} // namespace

int main(int argc, char** argv)
{
    InstallLoggingAssertHandler();
    std::vector<wxString> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(ArgumentText(argv[i]));
    const CommandLine line = ParseCommandLine(args);
    switch (line.action) {
    case CommandLine::ShowHelp:
        Print(stdout, HelpText());
        return 0;
    case CommandLine::ShowVersion:
        Print(stdout, "tarndash " TARN_VERSION);
        return 0;
    case CommandLine::Refuse:
        return Refuse(line.error);
    case CommandLine::Run:
        break;
    }
    DashboardOptions options = line.options;
    if (options.iniGiven && !Readable(options.iniFile))
        return Refuse(wxString::Format("cannot read the definition file '%s' (--ini)",
                                       options.iniFile));
    if (options.datalogGiven && !Readable(options.datalogFile))
        return Refuse(wxString::Format("cannot read the datalog '%s' (--datalog)",
                                       options.datalogFile));
    if (!options.tuneFile.empty() && !Readable(options.tuneFile))
        return Refuse(wxString::Format("cannot read the tune file '%s' (--tune)", options.tuneFile));
    UseInstalledSamples(options);
    if (!HasDisplay()) {
        Print(stderr, kNoDisplayHint);
        return 1;
    }

    RegisterSevenSegmentFace(); // before the toolkit loads its fonts
    // Until the debug log opens: a failing start says why on standard error,
    // never in a message box (there may be no display to show one on).
    delete wxLog::SetActiveTarget(new wxLogStderr);
    wxApp::SetInstance(new MainApp(options));
    // The toolkit sees no options: they are all ours, and parsed above.
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    const int status = wxEntry(toolkitArgc, toolkitArgv);
    if (status == -1) {
        // The toolkit could not start (it says why above): most often an
        // unreachable display.
        Print(stderr, kNoDisplayHint);
        return 1;
    }
    return status;
}
