#pragma once
// The one main window: menus, refresh timer, gauges and the chosen input's
// session. 240 x 320 by default; the gauges fill its client area at any
// size (DashboardLayout).
#include "app/CommandLine.h"
#include "app/DashboardLayout.h"
#include "app/InputSession.h"
#include "app/MenuIds.h"
#include "app/RememberedChoices.h"
#include "app/SettingsMenu.h"

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>

#include <memory>

class AlarmCommand;
class GaugeUpdater;
class IndicatorRow;
class StatusStrip;
class TarnGauge;
class TarnGaugeDigital;

// How the frame starts: the options of the command line, what was remembered
// from earlier runs, and where to remember the user's choices (not owned;
// null remembers nothing).
struct FrameStart {
    DashboardOptions options;
    Remembered remembered;
    RememberedChoices* memory = nullptr;
};

class MainFrame : public wxFrame {
public:
    explicit MainFrame(const wxString& title, const FrameStart& start = FrameStart());
    ~MainFrame() override;

    GaugeUpdater* GetDispatcher() const { return m_dispatcher; }
    wxTimer& GetTimer() { return m_timer; }
    TarnGauge* GetAnalogGauge() const { return m_analogGauge; }
    // In the order of the definition file's front page (gauge2 first); the
    // first four are always there, up to seven where the front page names them.
    TarnGaugeDigital* GetDigitalGauge(int i) const { return m_digitalGauges[i]; }
    int GetDigitalGaugeCount() const { return m_digitalCount; }
    // The file's indicator lamps; null when it has none.
    IndicatorRow* GetIndicatorRow() const { return m_indicatorRow; }
    StatusStrip* GetStatusStrip() const { return m_statusStrip; }
    static constexpr int kDigitalGaugeCount = ::kDigitalGaugeCount;
    // The File menu, for items that belong there.
    wxMenu* GetFileMenu() const { return GetMenuBar()->GetMenu(0); }
    // Height kept free at the bottom of the client area (a status strip).
    void SetStripHeight(int height);
    // Places the gauges for the current client size.
    void LayOutGauges();
    // Takes the keyboard focus, also where no window manager hands it out.
    void TakeFocus();
    const DashboardLayout& GetLayout() const { return m_layout; }
    // The session of the chosen input (NoInputSession for "None").
    InputSession* GetSession() const { return m_session.get(); }
    // The datalog the File input replays.
    const wxString& GetDatalogFile() const { return m_options.datalogFile; }
    bool IsNight() const { return m_night; }
    void SetNight(bool night);
    // Every gauge forgets its peaks.
    void ResetPeaks();
    // The definition file's settings as the menu offers them, and the
    // choices in force (flag -> set).
    const FileSettings& GetFileSettings() const { return m_fileSettings; }
    std::map<wxString, bool> EffectiveSettings() const;
    // Reads the definition file again with `chosen` as the menu's choices,
    // keeping the input and, where the file still has them, the gauges'
    // descriptions. Milliseconds it took until the new input was running.
    long ChooseSettings(const std::map<wxString, bool>& chosen);
    const AlarmCommand* GetAlarmCommand() const { return m_alarmCommand.get(); }

private:
    void OnQuit(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnSelectInput(wxCommandEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnGaugeChosen(wxCommandEvent& event);
    void OnOpenLog(wxCommandEvent& event);
    // Record and the replay controls: the session's commands.
    void OnSessionCommand(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnNight(wxCommandEvent& event);
    void OnResetPeaks(wxCommandEvent& event);
    // The Settings submenu's items (ids drawn as it is built).
    void OnSettingsItem(wxCommandEvent& event);
    // The definition with the settings in force; the Settings menu for it.
    void InstallDefinition();
    // The command line's options with the settings in force.
    DashboardOptions DefinitionOptions() const;
    // After a tick: runs the alarm command when a value entered danger.
    void CheckAlarms();

    void CreateGauges();
    void RegisterGauges();
    // Shows the remembered description on each gauge that has one.
    void RestoreGaugeChoices(const Remembered& remembered);
    // Selects an input as its menu item does.
    void SelectInput(InputChoice input);
    // Installs the session's input and deletes the session it replaces, once
    // the dispatcher no longer points to its input.
    void ReplaceSession(std::unique_ptr<InputSession> session);
    void ShowStatus();
    // Keeps the menus in step with the session.
    void UpdateMenus();
    // The gauges show their descriptions as they are now (limits over new constants).
    void RetakeGaugeDescriptions();

    wxTimer m_timer;
    GaugeUpdater* m_dispatcher = nullptr;
    TarnGauge* m_analogGauge = nullptr;
    TarnGaugeDigital* m_digitalGauges[kMaxDigitalGauges] = {};
    int m_digitalCount = kDigitalGaugeCount;
    IndicatorRow* m_indicatorRow = nullptr;
    StatusStrip* m_statusStrip = nullptr;
    std::unique_ptr<InputSession> m_session;
    DashboardOptions m_options;
    RememberedChoices* m_memory = nullptr;
    DashboardLayout m_layout;
    int m_stripHeight = 0;
    // The input whose session runs; a refused choice goes back to it.
    InputChoice m_input = InputChoice::None;
    // Why the last choice of input was refused; shown over the session's
    // status for kNoticeMs.
    static constexpr long kNoticeMs = 6000;
    wxString m_notice;
    wxStopWatch m_noticeShown;
    bool m_night = false;
    std::unique_ptr<AlarmCommand> m_alarmCommand;
    FileSettings m_fileSettings;
    // Chosen in the Settings menu (remembered); --set wins over them.
    std::map<wxString, bool> m_chosenSettings;
    SettingsMenu m_settingsMenu;
    // Why the definition file is none; shown in place of everything else.
    wxString m_definitionProblem;
    wxStopWatch m_started; // the start notice of the options shows for kNoticeMs

    wxDECLARE_EVENT_TABLE();
};
