#include "app/MainFrame.h"

#include "app/AlarmCommand.h"
#include "app/DashboardDefinition.h"
#include "app/DashboardMenus.h"
#include "app/LogFileChooser.h"
#include "app/StatusStrip.h"
#include "app/icons/sample.xpm"
#include "base/DebugLog.h"
#include "definition/SymbolTable.h"
#include "dispatch/GaugeUpdater.h"
#include "gauges/DefaultLook.h"
#include "gauges/GaugeChoiceEvent.h"
#include "gauges/IndicatorRow.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "gaugemodel/GaugeDescChooser.h"
#include "gaugemodel/Palette.h"

#include <wx/icon.h>
#include <wx/menu.h>

#include <cstdio>

// Defined before the event table in this file, so they are drawn first.
const long ID_TIMER = wxNewId();
const long ID_INPUT_NONE = wxNewId();
const long ID_INPUT_ECU = wxNewId();
const long ID_INPUT_FILE = wxNewId();
const long ID_OPEN_LOG = wxNewId();
const long ID_RECORD = wxNewId();
const long ID_READ_CONSTANTS = wxNewId();
const long ID_REPLAY_PAUSE = wxNewId();
const long ID_REPLAY_SLOWER = wxNewId();
const long ID_REPLAY_FASTER = wxNewId();
const long ID_REPLAY_BACK = wxNewId();
const long ID_REPLAY_FORWARD = wxNewId();
const long ID_REPLAY_START = wxNewId();
const long ID_NIGHT = wxNewId();
const long ID_RESET_PEAKS = wxNewId();

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
    EVT_MENU(ID_RECORD, MainFrame::OnSessionCommand)
    EVT_MENU(ID_READ_CONSTANTS, MainFrame::OnSessionCommand)
    EVT_MENU(ID_REPLAY_PAUSE, MainFrame::OnSessionCommand)
    EVT_MENU(ID_REPLAY_SLOWER, MainFrame::OnSessionCommand)
    EVT_MENU(ID_REPLAY_FASTER, MainFrame::OnSessionCommand)
    EVT_MENU(ID_REPLAY_BACK, MainFrame::OnSessionCommand)
    EVT_MENU(ID_REPLAY_FORWARD, MainFrame::OnSessionCommand)
    EVT_MENU(ID_REPLAY_START, MainFrame::OnSessionCommand)
    EVT_CHAR_HOOK(MainFrame::OnCharHook)
    EVT_MENU(ID_NIGHT, MainFrame::OnNight)
    EVT_MENU(ID_RESET_PEAKS, MainFrame::OnResetPeaks)
wxEND_EVENT_TABLE()
// clang-format on

// wxFRAME_SHAPED lets the analog gauge give the frame its circular shape.
static const long kFrameStyle = wxSYSTEM_MENU | wxCLOSE_BOX | wxNO_BORDER | wxFRAME_SHAPED;

MainFrame::MainFrame(const wxString& title, const FrameStart& start)
    : wxFrame(nullptr, wxID_ANY, title, wxPoint(0, 0), start.options.size, kFrameStyle, "frame"),
      m_timer(this, ID_TIMER), m_session(new NoInputSession), m_options(start.options), m_memory(start.memory)
{
    SetIcon(wxIcon(sample_xpm));
    // The frame's background is drawn at every frame, around the gauges.
    KeepDefaultLook(this);
    SetMenuBar(BuildDashboardMenus());
    // A kiosk has no item that ends it: only Alt+X does (OnCharHook).
    if (m_options.kiosk)
        GetMenuBar()->FindItem(wxID_EXIT)->GetMenu()->Destroy(wxID_EXIT);
    UpdateMenus();

    if (!m_options.startNotice.empty())
        DebugLog(0, m_options.startNotice);
    if (m_memory)
        m_chosenSettings = m_memory->LoadSettings(m_options.iniFile);
    m_fileSettings = ReadFileSettings(m_options.iniFile);
    InstallDefinition();
    CreateGauges();
    RegisterGauges();
    RestoreGaugeChoices(start.remembered);
    // Nothing has been fetched yet: what the gauges show is no live value.
    m_dispatcher->MarkStale(true);
    LayOutGauges();
    Bind(EVT_GAUGE_DESC_CHOSEN, &MainFrame::OnGaugeChosen, this);
    Bind(wxEVT_MENU, &MainFrame::OnSettingsItem, this);
    m_alarmCommand = std::make_unique<AlarmCommand>(m_options.alarmCommand);

    m_statusStrip = new StatusStrip(this);
    SetStripHeight(StatusStrip::HeightFor(GetClientSize().y));
    m_night = !(m_options.night || start.remembered.night);
    SetNight(!m_night);
    ShowStatus();

    const InputChoice input =
        m_options.input ? *m_options.input : start.remembered.input.value_or(InputChoice::None);
    if (input != InputChoice::None)
        SelectInput(input);
}

void MainFrame::TakeFocus()
{
    // Without a window manager nobody else gives the window the keyboard:
    // presenting it sets the X input focus, and the dial takes it within.
    Raise();
    if (m_analogGauge)
        m_analogGauge->SetFocus();
}

void MainFrame::CreateGauges()
{
    // Placed at the reference spots first; LayOutGauges fits them to the frame.
    const SymbolTable& table = *currentSymbolTable();
    const GaugeDescList* descs = &table.getGauges();
    m_analogGauge = new TarnGauge(this, wxNewId(), wxPoint(15, 5), wxSize(210, 210), false, descs);
    m_analogGauge->Show();
    m_analogGauge->SetDefaultGaugeDesc(FrontPageGaugePosition(table, 1));
    if (m_options.kiosk)
        m_analogGauge->ShowCloseItem(false);

    m_digitalCount = FrontPageDigitalCount(table);
    const DashboardLayout reference =
        LayOutDashboard(wxSize(kReferenceClientWidth, kReferenceClientHeight));
    for (int i = 0; i < m_digitalCount; ++i) {
        const wxRect& at = reference.digital[std::min(i, kDigitalGaugeCount - 1)];
        m_digitalGauges[i] = new TarnGaugeDigital(this, descs, wxString(), at.x, at.y, at.width);
        m_digitalGauges[i]->SetDefaultGaugeDesc(FrontPageGaugePosition(table, i + 2));
    }
    if (!table.getFrontPage().indicators.empty())
        m_indicatorRow = new IndicatorRow(this, &table.getFrontPage().indicators);
}

void MainFrame::RegisterGauges()
{
    m_dispatcher = new GaugeUpdater;
    m_dispatcher->AddGauge(m_analogGauge);
    m_analogGauge->m_dispatcher = m_dispatcher;
    m_analogGauge->UpdateAvailableGauges();
    for (int i = 0; i < m_digitalCount; ++i) {
        m_dispatcher->AddGauge(m_digitalGauges[i]);
        m_digitalGauges[i]->m_dispatcher = m_dispatcher;
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
    const int dial = lookUp(RememberedChoices::DialSlot());
    if (dial >= 0)
        m_analogGauge->SetDefaultGaugeDesc(dial); // before the first paint builds the dial
    for (int i = 0; i < m_digitalCount; ++i) {
        const int index = lookUp(RememberedChoices::DigitalSlot(i));
        if (index >= 0)
            m_digitalGauges[i]->SetDefaultGaugeDesc(index);
    }
}

MainFrame::~MainFrame()
{
    m_timer.Stop();
    if (m_dispatcher)
        m_dispatcher->SetInput(nullptr);
    m_session.reset();
    delete m_dispatcher;
}

void MainFrame::SetStripHeight(int height)
{
    m_stripHeight = height;
    LayOutGauges();
}

void MainFrame::LayOutGauges()
{
    DashboardContent content;
    content.digitalWanted = m_digitalCount;
    if (m_indicatorRow)
        content.lampCount = int(currentSymbolTable()->getFrontPage().indicators.size());
    m_layout = LayOutDashboard(GetClientSize(), m_stripHeight, content);
    if (m_analogGauge && !m_layout.dial.IsEmpty())
        m_analogGauge->SetSize(m_layout.dial);
    for (int i = 0; i < m_digitalCount; ++i) {
        if (!m_digitalGauges[i])
            continue;
        const bool shown = i < m_layout.digitalCount;
        if (shown && !m_layout.digital[i].IsEmpty())
            m_digitalGauges[i]->SetSize(m_layout.digital[i]);
        m_digitalGauges[i]->Show(shown);
    }
    if (m_indicatorRow) {
        m_indicatorRow->Show(!m_layout.lamps.IsEmpty());
        m_indicatorRow->SetSize(m_layout.lamps);
        m_indicatorRow->SetGrid(m_layout.lampColumns, m_layout.lampRows);
    }
}

void MainFrame::OnSize(wxSizeEvent& event)
{
    if (m_statusStrip)
        m_stripHeight = StatusStrip::HeightFor(GetClientSize().y);
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
        m_memory->SaveGauge(RememberedChoices::DialSlot(), desc->getName());
    for (int i = 0; i < m_digitalCount; ++i)
        if (event.GetEventObject() == m_digitalGauges[i])
            m_memory->SaveGauge(RememberedChoices::DigitalSlot(i), desc->getName());
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

void MainFrame::ReplaceSession(std::unique_ptr<InputSession> session)
{
    std::unique_ptr<InputSession> old = std::move(m_session);
    m_session = std::move(session);
    m_dispatcher->SetInput(m_session->GetInput());
    m_dispatcher->ClearValues();
    // Peaks and alarms belong to the input that made them.
    ResetPeaks();
    m_alarmCommand->Forget();
    // The old input (and an ECU input's worker) ends here, before the new
    // one asks for its first fetch.
    old.reset();
    if (m_indicatorRow)
        m_indicatorRow->TakeValues(nullptr);
    UpdateMenus();
    ShowStatus();
}

void MainFrame::ShowStatus()
{
    if (!m_notice.empty() && m_noticeShown.Time() < kNoticeMs)
        m_statusStrip->SetStatus(StatusStrip::Mark::Bad, m_notice);
    else if (!m_definitionProblem.empty()) // nothing else can work
        m_statusStrip->SetStatus(StatusStrip::Mark::Bad, m_definitionProblem);
    else if (!m_options.startNotice.empty() && m_started.Time() < kNoticeMs)
        m_statusStrip->SetStatus(StatusStrip::Mark::Busy, m_options.startNotice);
    else
        m_session->ShowStatus(*m_statusStrip);
}

void MainFrame::UpdateMenus()
{
    ShowSessionInMenus(*GetMenuBar(), *m_session);
}

void MainFrame::OnOpenLog(wxCommandEvent&)
{
    LogFileChooser chooser(this, LogFileChooser::AreaOver(*this), m_options.datalogFile);
    if (chooser.ShowModal() != wxID_OK)
        return;
    const wxString previous = m_options.datalogFile;
    m_options.datalogFile = chooser.GetPath();
    DebugLog(0, "replaying " + m_options.datalogFile);
    SelectInput(InputChoice::File);
    if (!m_notice.empty())
        m_options.datalogFile = previous;
}

void MainFrame::OnSessionCommand(wxCommandEvent& event)
{
    if (m_session->OnCommand(event.GetId(), event.IsChecked()) && m_dispatcher->GetGaugeCount() > 0)
        m_dispatcher->Update();
    UpdateMenus();
    ShowStatus();
}

void MainFrame::OnCharHook(wxKeyEvent& event)
{
    // Alt+X ends the dashboard wherever the focus is (a value selector too),
    // and also in a kiosk, which has no Exit item to carry the accelerator.
    if (event.GetModifiers() == wxMOD_ALT && (event.GetKeyCode() == 'X' || event.GetKeyCode() == 'x')) {
        Close(true);
        return;
    }
    // Keys typed in another window (a gauge's value selector) are its own.
    wxWindow* from = dynamic_cast<wxWindow*>(event.GetEventObject());
    const long id = m_session->CommandOfKey(event);
    if (id == wxID_NONE || (from && wxGetTopLevelParent(from) != this)) {
        event.Skip();
        return;
    }
    wxCommandEvent command(wxEVT_MENU, id);
    ProcessWindowEvent(command);
}

void MainFrame::SelectInput(InputChoice input)
{
    const long id = InputItemOf(input);
    GetMenuBar()->Check(id, true);
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetInt(1);
    ProcessWindowEvent(event);
}

void MainFrame::OnSelectInput(wxCommandEvent& event)
{
    const InputChoice chosen = InputChoiceOf(event.GetId());
    std::unique_ptr<InputSession> session = MakeInputSession(chosen, currentSymbolTable(), m_options);
    const wxString refusal = session->GetRefusal();
    if (!refusal.empty()) {
        DebugLog(2, refusal);
        GetMenuBar()->Check(InputItemOf(m_input), true);
        m_notice = refusal;
        m_noticeShown.Start();
        ShowStatus();
        return;
    }
    m_input = chosen;
    m_notice.clear();
    m_timer.Stop();
    ReplaceSession(std::move(session));
    if (m_session->GetPeriodMs() > 0 && !m_timer.IsRunning())
        m_timer.Start(m_session->GetPeriodMs(), wxTIMER_CONTINUOUS);
    if (m_memory)
        m_memory->SaveInput(chosen);
}

void MainFrame::RetakeGaugeDescriptions()
{
    m_analogGauge->RetakeGaugeDesc();
    for (TarnGaugeDigital* gauge : m_digitalGauges)
        if (gauge)
            gauge->RetakeGaugeDesc();
}

void MainFrame::OnTimer(wxTimerEvent&)
{
    const size_t count = m_dispatcher->GetGaugeCount();
    if (DebugLogEnabled()) {
        DebugLog(0, wxString::Format("MainFrame::OnTimer() GAUGE COUNT: %i", int(count)));
        DebugLog(0, wxString::Format("MainFrame::OnTimer() INPUT: %p",
                                     static_cast<void*>(m_dispatcher->GetInput())));
    }
    m_session->BeforeTick();
    if (count > 0 && m_dispatcher->GetInput()) {
        m_dispatcher->Update();
        CheckAlarms();
    } else {
        m_timer.Stop();
    }
    if (RTDataMgr* input = m_dispatcher->GetInput(); input && m_indicatorRow)
        m_indicatorRow->TakeValues(input, input->IsStale());
    if (m_session->AfterTick(m_dispatcher->GetValues()))
        UpdateMenus();
    if (m_session->TakeDefinitionChange())
        RetakeGaugeDescriptions();
    ShowStatus();
    // The session may tick faster (a fast input, a fast log) or slower now.
    const int period = m_session->GetPeriodMs();
    if (period > 0 && m_timer.IsRunning() && period != m_timer.GetInterval())
        m_timer.Start(period, wxTIMER_CONTINUOUS);
}

void MainFrame::CheckAlarms()
{
    std::vector<bool> danger{m_analogGauge->GetAlarmLevel() == AlarmLevel::Danger};
    for (int i = 0; i < m_digitalCount; ++i)
        danger.push_back(m_digitalGauges[i] && i < m_layout.digitalCount
                         && m_digitalGauges[i]->GetAlarmLevel() == AlarmLevel::Danger);
    m_alarmCommand->Take(danger);
}

void MainFrame::SetNight(bool night)
{
    if (night == m_night)
        return;
    m_night = night;
    GetMenuBar()->Check(ID_NIGHT, night);
    const RgbColour back = PaletteFor(night).background;
    SetBackgroundColour(wxColour(back.red, back.green, back.blue));
    m_analogGauge->SetNight(night);
    for (int i = 0; i < m_digitalCount; ++i)
        if (m_digitalGauges[i])
            m_digitalGauges[i]->SetNight(night);
    if (m_indicatorRow)
        m_indicatorRow->SetNight(night);
    if (m_statusStrip)
        m_statusStrip->SetNight(night);
    Refresh();
}

void MainFrame::OnNight(wxCommandEvent& event)
{
    SetNight(event.IsChecked());
    if (m_memory)
        m_memory->SaveNight(m_night);
}

void MainFrame::ResetPeaks()
{
    m_analogGauge->ResetPeaks();
    for (int i = 0; i < m_digitalCount; ++i)
        if (m_digitalGauges[i])
            m_digitalGauges[i]->ResetPeaks();
}

void MainFrame::OnResetPeaks(wxCommandEvent&)
{
    ResetPeaks();
}

std::map<wxString, bool> MainFrame::EffectiveSettings() const
{
    std::map<wxString, bool> effective = m_chosenSettings;
    for (const wxString& flag : m_options.settings)
        effective[flag] = true;
    return effective;
}

DashboardOptions MainFrame::DefinitionOptions() const
{
    DashboardOptions options = m_options;
    options.settings.clear();
    ChosenFlags(EffectiveSettings(), &options.settings, &options.clearedSettings);
    return options;
}

void MainFrame::InstallDefinition()
{
    m_definitionProblem = InstallDashboardDefinition(DefinitionOptions());
    if (wxMenu* menu = SettingsSubMenu(*GetMenuBar()))
        m_settingsMenu.Build(*menu, m_fileSettings, EffectiveSettings());
}

void MainFrame::OnSettingsItem(wxCommandEvent& event)
{
    if (!m_settingsMenu.Owns(event.GetId())) {
        event.Skip();
        return;
    }
    std::map<wxString, bool> chosen = m_chosenSettings;
    m_settingsMenu.Choose(event.GetId(), event.IsChecked(), chosen);
    // A choice made now wins over --set for the flags it changed.
    for (const auto& [flag, on] : chosen) {
        const auto before = m_chosenSettings.find(flag);
        if (before == m_chosenSettings.end() || before->second != on)
            m_options.settings.erase(
                std::remove(m_options.settings.begin(), m_options.settings.end(), flag),
                m_options.settings.end());
    }
    // Not from inside the menu's own event: the menu is rebuilt.
    CallAfter([this, chosen] { ChooseSettings(chosen); });
}

long MainFrame::ChooseSettings(const std::map<wxString, bool>& chosen)
{
    wxStopWatch watch;
    m_chosenSettings = chosen;
    if (m_memory)
        m_memory->SaveSettings(m_options.iniFile, m_chosenSettings);
    const InputChoice input = m_input;
    // What the gauges show, by name: the new file may order its gauges otherwise.
    const GaugeDescList& old = currentSymbolTable()->getGauges();
    const auto nameAt = [&old](int i) {
        return i >= 0 && size_t(i) < old.size() ? old[size_t(i)]->getName() : wxString();
    };
    const TarnGauge::Snapshot dial = m_analogGauge->GetSnapshot();
    const wxString dialName = dial.desc ? nameAt(dial.descIndex) : wxString();
    std::vector<wxString> digitalNames;
    for (int i = 0; i < m_digitalCount; ++i)
        digitalNames.push_back(nameAt(m_digitalGauges[i]->GetDefaultGaugeId()));

    m_timer.Stop();
    wxString problem;
    std::unique_ptr<SymbolTable> read = ReadDashboardDefinition(DefinitionOptions(), problem);
    // The input goes on over the new table where it can. Nothing may read
    // the old table once it goes: an input that cannot goes first.
    const bool kept = m_session->TakeDefinition(read.get());
    if (!kept)
        ReplaceSession(std::make_unique<NoInputSession>());
    if (m_indicatorRow) {
        m_indicatorRow->Destroy();
        m_indicatorRow = nullptr;
    }
    installSymbolTable(read.release());
    m_definitionProblem = problem;
    if (wxMenu* menu = SettingsSubMenu(*GetMenuBar()))
        m_settingsMenu.Build(*menu, m_fileSettings, EffectiveSettings());
    const SymbolTable& table = *currentSymbolTable();
    const GaugeDescChooser chooser(&table.getGauges());
    const auto indexOf = [&](const wxString& name, int frontPageNumber) {
        const int found = name.empty() ? -1 : chooser.FindByName(name);
        return found >= 0 ? found : FrontPageGaugePosition(table, frontPageNumber);
    };
    m_analogGauge->SetGaugeDescArray(&table.getGauges(), indexOf(dialName, 1));
    for (int i = 0; i < m_digitalCount; ++i)
        m_digitalGauges[i]->SetGaugeDescArray(&table.getGauges(), indexOf(digitalNames[size_t(i)], i + 2));
    if (!table.getFrontPage().indicators.empty()) {
        m_indicatorRow = new IndicatorRow(this, &table.getFrontPage().indicators);
        m_indicatorRow->SetNight(m_night);
    }
    m_dispatcher->MarkStale(true);
    LayOutGauges();
    if (kept) {
        // Values and peaks of the old reading may be in other units.
        m_dispatcher->ClearValues();
        ResetPeaks();
        m_alarmCommand->Forget();
        // What the input has now: a replay its record, the ECU asks for its next one.
        if (m_dispatcher->GetInput() && m_dispatcher->GetGaugeCount() > 0)
            m_dispatcher->Update();
        if (m_session->GetPeriodMs() > 0)
            m_timer.Start(m_session->GetPeriodMs(), wxTIMER_CONTINUOUS);
        UpdateMenus();
        ShowStatus();
    } else if (input != InputChoice::None) {
        SelectInput(input);
    }
    const long ms = watch.Time();
    DebugLog(0, wxString::Format("%s read again with the chosen settings in %ld ms",
                                 m_options.iniFile, ms));
    return ms;
}
