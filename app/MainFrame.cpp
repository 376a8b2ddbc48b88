#include "app/MainFrame.h"

#include "base/DebugLog.h"
#include "dispatch/GaugeUpdater.h"
#include "datalog/RTDataMgrFile.h"
#include "app/LogFileChooser.h"
#include "app/StatusStrip.h"
#include "app/icons/sample.xpm"
#include "definition/IniParser.h"
#include "definition/SymbolTable.h"
#include "ecu/RTDataMgrSerial.h"
#include "ecu/TarnProtocol.h"
#include "gauges/GaugeChoiceEvent.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"

#include <wx/display.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/icon.h>
#include <wx/intl.h>
#include <wx/menu.h>

#include <algorithm>
#include <cstdio>

// Defined before the event table in this file, so they are drawn first.
const long ID_TIMER = wxNewId();
const long ID_INPUT_NONE = wxNewId();
const long ID_INPUT_ECU = wxNewId();
const long ID_INPUT_FILE = wxNewId();
const long ID_OPEN_LOG = wxNewId();
const long ID_RECORD = wxNewId();
const long ID_REPLAY_PAUSE = wxNewId();
const long ID_REPLAY_SLOWER = wxNewId();
const long ID_REPLAY_FASTER = wxNewId();
const long ID_REPLAY_BACK = wxNewId();
const long ID_REPLAY_FORWARD = wxNewId();
const long ID_REPLAY_START = wxNewId();

// clang-format off
wxBEGIN_EVENT_TABLE(MainFrame, wxFrame)
    EVT_MENU(wxID_EXIT, MainFrame::OnQuit)
    EVT_MENU(wxID_ABOUT, MainFrame::OnAbout)
    EVT_LEFT_DOWN(MainFrame::OnLeftDown)
    EVT_MENU(ID_INPUT_NONE, MainFrame::OnSelectInput)
    EVT_MENU(ID_INPUT_ECU, MainFrame::OnSelectInput)
    EVT_MENU(ID_INPUT_FILE, MainFrame::OnSelectInput)
    EVT_TIMER(ID_TIMER, MainFrame::OnTimer)
    EVT_SIZE(MainFrame::OnSize)
    EVT_MENU(ID_OPEN_LOG, MainFrame::OnOpenLog)
    EVT_MENU(ID_RECORD, MainFrame::OnRecord)
    EVT_MENU(ID_REPLAY_PAUSE, MainFrame::OnReplayControl)
    EVT_MENU(ID_REPLAY_SLOWER, MainFrame::OnReplayControl)
    EVT_MENU(ID_REPLAY_FASTER, MainFrame::OnReplayControl)
    EVT_MENU(ID_REPLAY_BACK, MainFrame::OnReplayControl)
    EVT_MENU(ID_REPLAY_FORWARD, MainFrame::OnReplayControl)
    EVT_MENU(ID_REPLAY_START, MainFrame::OnReplayControl)
    EVT_CHAR_HOOK(MainFrame::OnCharHook)
wxEND_EVENT_TABLE()
// clang-format on

// wxFRAME_SHAPED lets the analog gauge give the frame its circular shape.
static const long kFrameStyle = wxSYSTEM_MENU | wxCLOSE_BOX | wxNO_BORDER | wxFRAME_SHAPED;

// The remembered-choice slot of each gauge.
static const char* const kDialSlot = "dial";
static wxString DigitalSlot(int i)
{
    return wxString::Format("digital%d", i + 1);
}

// A stalled event loop must not make a replay jump: longer gaps count as this.
static const double kLongestTickSeconds = 0.5;
// The open-log chooser fills the frame up to this size.
static const wxSize kLargestChooser(480, 640);

// The replay control a key stands for; wxID_NONE for other keys.
static long ReplayControlOf(const wxKeyEvent& key)
{
    if (key.HasModifiers())
        return wxID_NONE;
    const int code = key.GetKeyCode();
    const wxChar typed = key.GetUnicodeKey();
    if (code == WXK_SPACE)
        return ID_REPLAY_PAUSE;
    if (code == '-' || code == WXK_SUBTRACT || code == WXK_NUMPAD_SUBTRACT || typed == '-')
        return ID_REPLAY_SLOWER;
    if (code == '+' || code == '=' || code == WXK_ADD || code == WXK_NUMPAD_ADD || typed == '+')
        return ID_REPLAY_FASTER;
    if (code == WXK_LEFT || code == WXK_NUMPAD_LEFT)
        return ID_REPLAY_BACK;
    if (code == WXK_RIGHT || code == WXK_NUMPAD_RIGHT)
        return ID_REPLAY_FORWARD;
    if (code == WXK_HOME || code == WXK_NUMPAD_HOME)
        return ID_REPLAY_START;
    return wxID_NONE;
}

MainFrame::MainFrame(const wxString& title, const FrameStart& start)
    : wxFrame(nullptr, wxID_ANY, title, wxPoint(0, 0), start.options.size, kFrameStyle, "frame"),
      m_timer(this, ID_TIMER), m_options(start.options), m_memory(start.memory)
{
    SetIcon(wxIcon(sample_xpm));
    BuildMenus();

    DebugLog(0, "---parse tarnv3 start");
    DefinitionOptions definition;
    for (const wxString& flag : m_options.settings)
        definition.setFlags.Add(flag);
    definition.tuneFile = m_options.tuneFile;
    // Nothing may point into the old table while the new one is read.
    installSymbolTable(nullptr);
    installSymbolTable(loadDefinitionFileFrom(m_options.iniFile, definition));
    CreateGauges();
    RegisterGauges();
    RestoreGaugeChoices(start.remembered);
    // Nothing has been fetched yet: what the gauges show is no live value.
    m_dispatcher->MarkStale(true);
    LayOutGauges();
    Bind(EVT_GAUGE_DESC_CHOSEN, &MainFrame::OnGaugeChosen, this);

    SetBackgroundColour(wxColour(255, 255, 254));
    m_statusStrip = new StatusStrip(this);
    SetStripHeight(StatusStrip::kStripHeight);
    ShowInputStatus();

    const InputChoice input =
        m_options.input ? *m_options.input : start.remembered.input.value_or(InputChoice::None);
    if (input != InputChoice::None)
        SelectInput(input);
}

void MainFrame::CreateGauges()
{
    // Placed at the reference spots first; LayOutGauges fits them to the frame.
    const GaugeDescList* descs = &currentSymbolTable()->getGauges();
    m_analogGauge = new TarnGauge(this, wxNewId(), wxPoint(15, 5), wxSize(210, 210), false, descs);
    m_analogGauge->Show();
    m_analogGauge->SetDefaultGaugeDesc(wxString("rpm"));

    static const char* const kDigital[kDigitalGaugeCount] = {"map", "spark", "lambda", "dwell"};
    const DashboardLayout reference =
        LayOutDashboard(wxSize(kReferenceClientWidth, kReferenceClientHeight));
    for (int i = 0; i < kDigitalGaugeCount; ++i)
        m_digitalGauges[i] = new TarnGaugeDigital(this, descs, kDigital[i], reference.digital[i].x,
                                                  reference.digital[i].y,
                                                  reference.digital[i].width);
}

void MainFrame::RegisterGauges()
{
    m_dispatcher = new GaugeUpdater;
    m_dispatcher->AddGauge(m_analogGauge);
    m_analogGauge->m_dispatcher = m_dispatcher;
    m_analogGauge->UpdateAvailableGauges();
    for (TarnGaugeDigital* gauge : m_digitalGauges) {
        m_dispatcher->AddGauge(gauge);
        gauge->m_dispatcher = m_dispatcher;
    }
}

void MainFrame::RestoreGaugeChoices(const Remembered& remembered)
{
    const GaugeDescChooser chooser(&currentSymbolTable()->getGauges());
    auto lookUp = [&](const wxString& slot) {
        const auto it = remembered.gauges.find(slot);
        if (it == remembered.gauges.end())
            return -1;
        const int index = chooser.FindByName(it->second);
        if (index < 0) {
            const wxString text = wxString::Format(
                "remembered gauge '%s' (%s) is not in %s; ignored", it->second, slot,
                m_options.iniFile);
            std::fprintf(stderr, "tarndash: %s\n", static_cast<const char*>(text.utf8_str()));
            DebugLog(1, text);
            if (m_memory)
                m_memory->ForgetGauge(slot);
        }
        return index;
    };
    const int dial = lookUp(kDialSlot);
    if (dial >= 0)
        m_analogGauge->SetDefaultGaugeDesc(dial); // before the first paint builds the dial
    for (int i = 0; i < kDigitalGaugeCount; ++i) {
        const int index = lookUp(DigitalSlot(i));
        if (index >= 0)
            m_digitalGauges[i]->SetDefaultGaugeDesc(index);
    }
}

MainFrame::~MainFrame()
{
    m_timer.Stop();
    m_recording.Stop();
    if (m_dispatcher)
        m_dispatcher->SetInput(nullptr);
    delete m_dispatcher;
}

void MainFrame::BuildMenus()
{
    // The keys are handled by OnCharHook wherever the focus is (the toolkit
    // takes no plain arrow keys as accelerators); the labels name them.
    wxMenu* replayMenu = new wxMenu;
    replayMenu->AppendCheckItem(ID_REPLAY_PAUSE, _("&Pause (Space)"));
    replayMenu->Append(ID_REPLAY_SLOWER, _("&Slower (-)"));
    replayMenu->Append(ID_REPLAY_FASTER, _("&Faster (+)"));
    replayMenu->Append(ID_REPLAY_BACK, _("&Back 10 s (Left)"));
    replayMenu->Append(ID_REPLAY_FORWARD, _("F&orward 10 s (Right)"));
    replayMenu->Append(ID_REPLAY_START, _("Back to s&tart (Home)"));

    m_fileMenu = new wxMenu;
    m_fileMenu->Append(wxID_EXIT, "E&xit\tAlt-X", "Quit this program");
    m_fileMenu->Append(ID_OPEN_LOG, wxGetTranslation(L"&Open log\u2026") + "\tCtrl-O",
                       _("Replay another log file"));
    m_fileMenu->AppendSubMenu(replayMenu, _("Re&play"));
    m_fileMenu->AppendCheckItem(ID_RECORD, _("&Record\tCtrl-R"),
                                _("Record the ECU's values to a new log file"));

    wxMenu* helpMenu = new wxMenu;
    helpMenu->Append(wxID_ABOUT, "&About...\tF1", "Show about dialog");

    wxMenu* inputMenu = new wxMenu;
    inputMenu->AppendRadioItem(ID_INPUT_NONE, _("None"), "");
    inputMenu->AppendRadioItem(ID_INPUT_ECU, _("ECU"), "");
    inputMenu->AppendRadioItem(ID_INPUT_FILE, _("File"), "");

    wxMenuBar* menuBar = new wxMenuBar;
    menuBar->Append(m_fileMenu, "&File");
    menuBar->Append(helpMenu, "&Help");
    menuBar->Append(inputMenu, "&Select Input");
    inputMenu->Check(ID_INPUT_NONE, true);
    SetMenuBar(menuBar);
    UpdateMenus();
}

void MainFrame::SetStripHeight(int height)
{
    m_stripHeight = height;
    LayOutGauges();
}

void MainFrame::LayOutGauges()
{
    m_layout = LayOutDashboard(GetClientSize(), m_stripHeight);
    if (m_analogGauge && !m_layout.dial.IsEmpty())
        m_analogGauge->SetSize(m_layout.dial);
    for (int i = 0; i < kDigitalGaugeCount; ++i)
        if (m_digitalGauges[i] && !m_layout.digital[i].IsEmpty())
            m_digitalGauges[i]->SetSize(m_layout.digital[i]);
}

void MainFrame::OnSize(wxSizeEvent& event)
{
    LayOutGauges();
    event.Skip();
}

void MainFrame::OnGaugeChosen(wxCommandEvent& event)
{
    if (!m_memory)
        return;
    const TARNGaugeDesc* desc = currentSymbolTable()->getGauges().size() > size_t(event.GetInt())
                                    ? currentSymbolTable()->getGauges()[event.GetInt()]
                                    : nullptr;
    if (!desc)
        return;
    if (event.GetEventObject() == m_analogGauge)
        m_memory->SaveGauge(kDialSlot, desc->getName());
    for (int i = 0; i < kDigitalGaugeCount; ++i)
        if (event.GetEventObject() == m_digitalGauges[i])
            m_memory->SaveGauge(DigitalSlot(i), desc->getName());
}

void MainFrame::OnQuit(wxCommandEvent&)
{
    Close(true);
}

void MainFrame::OnAbout(wxCommandEvent&)
{
}

void MainFrame::OnLeftDown(wxMouseEvent&)
{
}

void MainFrame::ReplaceInput(RTDataMgr* input)
{
    StopRecording();
    m_recordingProblem.clear();
    std::unique_ptr<RTDataMgr> old = std::move(m_input);
    m_input.reset(input);
    m_dispatcher->SetInput(input);
    // The old input (and an ECU input's worker) ends here, before the new
    // one asks for its first fetch.
    old.reset();
    m_sinceTick.Start();
    UpdateMenus();
    ShowInputStatus();
}

void MainFrame::ShowInputStatus()
{
    if (!m_statusStrip)
        return;
    if (!m_input) {
        m_statusStrip->SetStatus(StatusStrip::Mark::Off, _("No input"));
        return;
    }
    if (m_input->GetKind() != RTDataMgr::KindSerial) {
        ShowReplayStatus();
        return;
    }
    if (!m_recordingProblem.empty()) {
        m_statusStrip->SetStatus(StatusStrip::Mark::Bad, m_recordingProblem);
        return;
    }
    const LinkState state = static_cast<RTDataMgrSerial*>(m_input.get())->getLinkState();
    StatusStrip::Mark mark = StatusStrip::Mark::Bad;
    if (state.kind == LinkState::Connected)
        mark = StatusStrip::Mark::Good;
    else if (state.kind == LinkState::Searching || state.kind == LinkState::Idle)
        mark = StatusStrip::Mark::Busy;
    wxString text = wxString::FromUTF8(state.describe());
    if (!text.empty())
        text[0] = wxToupper(text[0]);
    if (m_recording.IsRecording())
        text += _(", recording");
    m_statusStrip->SetStatus(mark, text);
}

void MainFrame::ShowReplayStatus()
{
    const RTDataMgrFile* file = static_cast<const RTDataMgrFile*>(m_input.get());
    const wxString& refusal = file->GetLog().GetRefusal();
    if (file->GetColumnCount() == 0) {
        m_statusStrip->SetStatus(StatusStrip::Mark::Bad,
                                 refusal.empty() ? _("No columns in ") + m_options.datalogFile : refusal);
        return;
    }
    LogReplay& replay = *GetReplay();
    // The state goes last: a long file name is shortened at its start.
    wxString text = wxFileNameFromPath(m_options.datalogFile) + "  " + replay.GetPositionText() + "  " +
                    replay.GetSpeedText();
    StatusStrip::Mark mark = StatusStrip::Mark::Good;
    if (replay.IsAtEnd() || file->GetLog().RecordCount() == 0) {
        text += "  " + _("End of log");
        mark = StatusStrip::Mark::Off;
    } else if (replay.IsPaused()) {
        text += "  " + _("Paused");
        mark = StatusStrip::Mark::Busy;
    }
    m_statusStrip->SetStatus(mark, text);
}

LogReplay* MainFrame::GetReplay() const
{
    if (!m_input || m_input->GetKind() != RTDataMgr::KindFile)
        return nullptr;
    return &static_cast<RTDataMgrFile*>(m_input.get())->GetReplay();
}

void MainFrame::UpdateMenus()
{
    wxMenuBar* bar = GetMenuBar();
    if (!bar)
        return;
    const bool ecu = m_input && m_input->GetKind() == RTDataMgr::KindSerial;
    bar->Enable(ID_RECORD, ecu);
    bar->Check(ID_RECORD, ecu && m_recording.IsRecording());
    const LogReplay* replay = GetReplay();
    for (long id : {ID_REPLAY_PAUSE, ID_REPLAY_SLOWER, ID_REPLAY_FASTER, ID_REPLAY_BACK, ID_REPLAY_FORWARD,
                    ID_REPLAY_START})
        bar->Enable(id, replay != nullptr);
    bar->Check(ID_REPLAY_PAUSE, replay && replay->IsPaused());
}

void MainFrame::OnOpenLog(wxCommandEvent&)
{
    // Over the whole frame (the handheld's screen), centred on it as the
    // toolkit places dialogs anyway.
    wxRect area = GetScreenRect();
    const int display = wxDisplay::GetFromWindow(this);
    if (display != wxNOT_FOUND)
        area.Intersect(wxDisplay(display).GetClientArea());
    const wxSize size(std::min(area.width, kLargestChooser.x), std::min(area.height, kLargestChooser.y));
    area = wxRect(area.GetPosition() + (area.GetSize() - size) / 2, size);
    LogFileChooser chooser(this, area, m_options.datalogFile);
    if (chooser.ShowModal() != wxID_OK)
        return;
    m_options.datalogFile = chooser.GetPath();
    DebugLog(0, "replaying " + m_options.datalogFile);
    SelectInput(InputChoice::File);
}

void MainFrame::OnRecord(wxCommandEvent& event)
{
    if (event.IsChecked())
        StartRecording();
    else
        StopRecording();
    UpdateMenus();
    ShowInputStatus();
}

void MainFrame::StartRecording()
{
    m_recordingProblem.clear();
    if (!m_input || m_input->GetKind() != RTDataMgr::KindSerial)
        return;
    // Absolute, so that messages say where the recording is.
    const wxString named = m_options.logDir.empty() ? wxString(SessionRecorder::kDefaultFolder)
                                                    : m_options.logDir;
    wxFileName folder = wxFileName::DirName(named);
    folder.MakeAbsolute();
    if (m_recording.Start(folder.GetPath(), wxFileNameFromPath(m_options.iniFile), *currentSymbolTable(),
                          *static_cast<RTDataMgrSerial*>(m_input.get()))) {
        DebugLog(0, "recording to " + m_recording.GetPath());
        return;
    }
    m_recordingProblem = m_recording.GetError();
    DebugLog(2, m_recordingProblem);
}

void MainFrame::StopRecording()
{
    if (m_recording.IsRecording()) {
        m_recording.Stop();
        DebugLog(0, "recorded " + m_recording.GetPath());
    }
    // Closing can still fail (the last write, the last sync).
    const wxString& problem = m_recording.GetError();
    if (!problem.empty() && problem != m_recordingProblem) {
        m_recordingProblem = problem;
        DebugLog(2, problem);
    }
    UpdateMenus();
}

void MainFrame::OnReplayControl(wxCommandEvent& event)
{
    LogReplay* replay = GetReplay();
    if (!replay)
        return;
    const long id = event.GetId();
    if (id == ID_REPLAY_PAUSE)
        replay->TogglePause();
    else if (id == ID_REPLAY_SLOWER)
        replay->Slower();
    else if (id == ID_REPLAY_FASTER)
        replay->Faster();
    else if (id == ID_REPLAY_BACK)
        replay->SeekBy(-kSeekSeconds);
    else if (id == ID_REPLAY_FORWARD)
        replay->SeekBy(kSeekSeconds);
    else if (id == ID_REPLAY_START)
        replay->SeekToStart();
    // A seek shows its record at once, also while paused or at the end.
    if (id != ID_REPLAY_PAUSE && id != ID_REPLAY_SLOWER && id != ID_REPLAY_FASTER) {
        static_cast<RTDataMgrFile*>(m_input.get())->HoldForNextUpdate();
        if (m_dispatcher->GetGaugeCount() > 0)
            m_dispatcher->Update();
    }
    UpdateMenus();
    ShowInputStatus();
}

void MainFrame::OnCharHook(wxKeyEvent& event)
{
    // Keys typed in another window (a gauge's value selector) are its own.
    wxWindow* from = wxDynamicCast(event.GetEventObject(), wxWindow);
    const long id = ReplayControlOf(event);
    if (id == wxID_NONE || !GetReplay() || (from && wxGetTopLevelParent(from) != this)) {
        event.Skip();
        return;
    }
    wxCommandEvent command(wxEVT_MENU, id);
    ProcessWindowEvent(command);
}

void MainFrame::SelectInput(InputChoice input)
{
    const long id = input == InputChoice::Ecu    ? ID_INPUT_ECU
                    : input == InputChoice::File ? ID_INPUT_FILE
                                                 : ID_INPUT_NONE;
    GetMenuBar()->Check(id, true);
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetInt(1);
    ProcessWindowEvent(event);
}

void MainFrame::OnSelectInput(wxCommandEvent& event)
{
    const long id = event.GetId();
    InputChoice chosen = InputChoice::None;
    if (id == ID_INPUT_NONE) {
        ReplaceInput(nullptr);
        m_timer.Stop();
    } else if (id == ID_INPUT_ECU) {
        chosen = InputChoice::Ecu;
        m_timer.Stop();
        // The line speed is the user's for another firmware's link; the built-in
        // firmware keeps the speeds of its modes.
        GenericLinkOptions link;
        if (m_options.baud)
            link.baud = *m_options.baud;
        ReplaceInput(
            new RTDataMgrSerial(TarnProtocol::getInstance(), currentSymbolTable(), {}, link));
        if (!m_timer.IsRunning())
            m_timer.Start(kEcuPeriodMs, wxTIMER_CONTINUOUS);
    } else if (id == ID_INPUT_FILE) {
        chosen = InputChoice::File;
        m_timer.Stop();
        ReplaceInput(new RTDataMgrFile(m_options.datalogFile));
        if (!m_timer.IsRunning())
            m_timer.Start(kFilePeriodMs, wxTIMER_CONTINUOUS);
    } else {
        return;
    }
    if (m_memory)
        m_memory->SaveInput(chosen);
}

void MainFrame::OnTimer(wxTimerEvent&)
{
    const size_t count = m_dispatcher->GetGaugeCount();
    if (DebugLogEnabled()) {
        DebugLog(0, wxString::Format("MainFrame::OnTimer() GAUGE COUNT: %i", int(count)));
        DebugLog(0, wxString::Format("MainFrame::OnTimer() INPUT: %p",
                                     static_cast<void*>(m_dispatcher->GetInput())));
    }
    if (m_input && m_input->GetKind() == RTDataMgr::KindFile) {
        const double seconds = std::min(m_sinceTick.Time() / 1000.0, kLongestTickSeconds);
        static_cast<RTDataMgrFile*>(m_input.get())->SetTickSeconds(seconds);
    }
    m_sinceTick.Start();
    if (count > 0 && m_dispatcher->GetInput())
        m_dispatcher->Update();
    else
        m_timer.Stop();
    if (m_recording.IsRecording() && m_input && m_input->GetKind() == RTDataMgr::KindSerial &&
        !m_recording.AfterTick(*static_cast<RTDataMgrSerial*>(m_input.get())))
        StopRecording();
    ShowInputStatus();
}
