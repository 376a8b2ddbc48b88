#pragma once
// The one main window: 240 x 320, menus, refresh timer, gauges and inputs.
#include <wx/frame.h>
#include <wx/timer.h>

#include <memory>

class GaugeUpdater;
class RTDataMgr;
class StatusStrip;
class TarnGauge;
class TarnGaugeDigital;

// Ids drawn from the toolkit's id generator at static initialisation.
extern const long ID_TIMER;
extern const long ID_INPUT_NONE;
extern const long ID_INPUT_ECU;
extern const long ID_INPUT_FILE;

class MainFrame : public wxFrame {
public:
    explicit MainFrame(const wxString& title);
    ~MainFrame() override;

    GaugeUpdater* GetDispatcher() const { return m_dispatcher; }
    wxTimer& GetTimer() { return m_timer; }
    TarnGauge* GetAnalogGauge() const { return m_analogGauge; }
    // In the order map, spark, lambda, dwell.
    TarnGaugeDigital* GetDigitalGauge(int i) const { return m_digitalGauges[i]; }
    StatusStrip* GetStatusStrip() const { return m_statusStrip; }
    static constexpr int kDigitalGaugeCount = 4;

    // Refresh periods of the two inputs, in milliseconds.
    static constexpr int kEcuPeriodMs = 300;
    static constexpr int kFilePeriodMs = 100;

private:
    void OnQuit(wxCommandEvent& event);
    void OnAbout(wxCommandEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnSelectInput(wxCommandEvent& event);
    void OnTimer(wxTimerEvent& event);

    void BuildMenus();
    void CreateGauges();
    void RegisterGauges();
    // Installs `input` (may be null) and deletes the one it replaces, once the
    // dispatcher no longer points to it.
    void ReplaceInput(RTDataMgr* input);
    // Shows the current input, and for the ECU the state of its line.
    void ShowInputStatus();

    wxTimer m_timer;
    GaugeUpdater* m_dispatcher = nullptr;
    TarnGauge* m_analogGauge = nullptr;
    TarnGaugeDigital* m_digitalGauges[kDigitalGaugeCount] = {};
    StatusStrip* m_statusStrip = nullptr;
    // The input the dispatcher points to; replaced inputs are deleted.
    std::unique_ptr<RTDataMgr> m_input;

    wxDECLARE_EVENT_TABLE();
};
