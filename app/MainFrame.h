#pragma once
// The one main window: menus, refresh timer, gauges and inputs. 240 x 320 by
// default; the gauges fill its client area at any size (DashboardLayout).
#include "app/CommandLine.h"
#include "app/DashboardLayout.h"
#include "app/LiveRecording.h"
#include "app/RememberedChoices.h"

#include <wx/frame.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>

#include <memory>

class GaugeUpdater;
class LogReplay;
class RTDataMgr;
class StatusStrip;
class TarnGauge;
class TarnGaugeDigital;
class wxMenu;

// Ids drawn from the toolkit's id generator at static initialisation.
extern const long ID_TIMER;
extern const long ID_INPUT_NONE;
extern const long ID_INPUT_ECU;
extern const long ID_INPUT_FILE;
extern const long ID_OPEN_LOG;
extern const long ID_RECORD;
// The replay controls, each with its key: Space, "-", "+", Left, Right, Home.
extern const long ID_REPLAY_PAUSE;
extern const long ID_REPLAY_SLOWER;
extern const long ID_REPLAY_FASTER;
extern const long ID_REPLAY_BACK;
extern const long ID_REPLAY_FORWARD;
extern const long ID_REPLAY_START;

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
    // In the order map, spark, lambda, dwell.
    TarnGaugeDigital* GetDigitalGauge(int i) const { return m_digitalGauges[i]; }
    StatusStrip* GetStatusStrip() const { return m_statusStrip; }
    static constexpr int kDigitalGaugeCount = ::kDigitalGaugeCount;
    // The File menu, for items that belong there.
    wxMenu* GetFileMenu() const { return m_fileMenu; }
    // Height kept free at the bottom of the client area (a status strip).
    void SetStripHeight(int height);
    // Places the gauges for the current client size.
    void LayOutGauges();
    const DashboardLayout& GetLayout() const { return m_layout; }
    // The replay of the File input; null with another input.
    LogReplay* GetReplay() const;
    const LiveRecording& GetRecording() const { return m_recording; }
    // The datalog the File input replays.
    const wxString& GetDatalogFile() const { return m_options.datalogFile; }

    // Refresh periods of the two inputs, in milliseconds.
    static constexpr int kEcuPeriodMs = 300;
    static constexpr int kFilePeriodMs = 100;
    // Seconds a replay seek moves.
    static constexpr double kSeekSeconds = 10.0;

private:
    void OnQuit(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnSelectInput(wxCommandEvent& event);
    void OnTimer(wxTimerEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnGaugeChosen(wxCommandEvent& event);
    void OnOpenLog(wxCommandEvent& event);
    void OnRecord(wxCommandEvent& event);
    void OnReplayControl(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);

    void BuildMenus();
    void CreateGauges();
    void RegisterGauges();
    // Shows the remembered description on each gauge that has one.
    void RestoreGaugeChoices(const Remembered& remembered);
    // Selects an input as its menu item does.
    void SelectInput(InputChoice input);
    // Installs `input` (may be null) and deletes the one it replaces, once the
    // dispatcher no longer points to it.
    void ReplaceInput(RTDataMgr* input);
    // Shows the current input: for the ECU the state of its line and of the
    // recording, for a replay where it stands.
    void ShowInputStatus();
    void ShowReplayStatus();
    void StartRecording();
    // Closes the recording's file; a failure to write it is shown.
    void StopRecording();
    // Keeps the menus in step with the input and the replay.
    void UpdateMenus();

    wxTimer m_timer;
    GaugeUpdater* m_dispatcher = nullptr;
    TarnGauge* m_analogGauge = nullptr;
    TarnGaugeDigital* m_digitalGauges[kDigitalGaugeCount] = {};
    StatusStrip* m_statusStrip = nullptr;
    // The input the dispatcher points to; replaced inputs are deleted.
    std::unique_ptr<RTDataMgr> m_input;
    wxMenu* m_fileMenu = nullptr;
    DashboardOptions m_options;
    RememberedChoices* m_memory = nullptr;
    DashboardLayout m_layout;
    int m_stripHeight = 0;
    LiveRecording m_recording;
    // Why the last recording stopped or did not start; shown until the user
    // records again or chooses another input.
    wxString m_recordingProblem;
    // Real time since the last tick, which paces a replay by its clock.
    wxStopWatch m_sinceTick;

    wxDECLARE_EVENT_TABLE();
};
