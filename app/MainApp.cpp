#include "app/MainApp.h"

#include "base/AssertHandler.h"
#include "base/DebugLog.h"
#include "base/StderrTrace.h"
#include "app/FullScreen.h"
#include "app/MainFrame.h"

#include <wx/dialog.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

MainApp::MainApp(const DashboardOptions& options)
    : m_options(options), m_memory(std::make_unique<RememberedChoices>(RememberedChoices::DefaultPath()))
{
}

MainApp::~MainApp() = default;

// The port in use: --port, else the environment, else the one remembered from
// an earlier --port, else the default. Only --port is remembered: a port from
// the environment (a test set-up, `make run`) is meant for that run alone.
static void ChoosePort(const DashboardOptions& options, const Remembered& remembered,
                       RememberedChoices* memory)
{
    // The serial layer reads the device path from the environment, byte for byte.
    if (!options.port.empty()) {
        setenv("TARN_SERIAL_PORT", ArgumentBytes(options.port).c_str(), 1);
        if (memory)
            memory->SavePort(options.port);
        return;
    }
    const char* fromEnvironment = std::getenv("TARN_SERIAL_PORT");
    if (fromEnvironment && *fromEnvironment)
        return;
    if (!remembered.port.empty())
        setenv("TARN_SERIAL_PORT", ArgumentBytes(remembered.port).c_str(), 1);
}

// SIGTERM (systemd at shutdown) and SIGINT end the dashboard as File > Exit
// does, so that a recording is closed with its last records. The toolkit
// runs this from its event loop, not in the signal handler.
static void OnStopSignal(int number)
{
    DebugLog(0, wxString::Format("signal %d: closing", number));
    for (wxWindow* window : wxTopLevelWindows) {
        // dynamic_cast: the toolkit's own cast converts before it checks.
        wxDialog* dialog = dynamic_cast<wxDialog*>(window);
        if (dialog && dialog->IsModal())
            dialog->EndModal(wxID_CANCEL);
    }
    wxTheApp->CallAfter([] {
        std::vector<wxWindow*> frames;
        for (wxWindow* window : wxTopLevelWindows)
            if (!dynamic_cast<wxDialog*>(window))
                frames.push_back(window);
        for (wxWindow* frame : frames)
            frame->Close(true);
    });
}

bool MainApp::OnInit()
{
    InstallLoggingAssertHandler();
    InitDebugLog(wxString(), m_options.logLimit.value_or(kDefaultDebugLogLimit));
    // The standard-error traces belong in the debug log; on the terminal they
    // only look like errors, unless asked for.
    RouteStderrTraces(StderrTraceRoute{m_options.trace ? stderr : nullptr, true});
    DebugLog(0, "start");
    if (!wxApp::OnInit())
        return false;

    FrameStart start;
    start.options = m_options;
    if (m_memory) {
        if (m_options.reset && !m_memory->Forget())
            std::fprintf(stderr, "tarndash: cannot forget the remembered choices in %s\n",
                         static_cast<const char*>(m_memory->GetPath().utf8_str()));
        std::vector<wxString> problems;
        start.remembered = m_memory->Load(&problems);
        for (const wxString& problem : problems)
            std::fprintf(stderr, "tarndash: %s\n", static_cast<const char*>(problem.utf8_str()));
        start.memory = m_memory.get();
    }
    ChoosePort(m_options, start.remembered, start.memory);
    SetSignalHandler(SIGTERM, OnStopSignal);
    SetSignalHandler(SIGINT, OnStopSignal);

    MainFrame* frame = new MainFrame("V3 GUI for WinCE", start);
    frame->Show(true);
    if (m_options.fullscreen)
        MakeFullScreen(frame);
    else if (!m_options.sizeGiven)
        MakeFullScreenOnSmallDisplay(frame);
    // Once the window is on screen: the keyboard works without a click first.
    frame->CallAfter([frame] { frame->TakeFocus(); });
    return true;
}
