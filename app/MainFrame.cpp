#include "app/MainFrame.h"

#include "base/DebugLog.h"
#include "dispatch/GaugeUpdater.h"
#include "datalog/RTDataMgrFile.h"
#include "app/icons/sample.xpm"
#include "definition/IniParser.h"
#include "definition/SymbolTable.h"
#include "ecu/RTDataMgrSerial.h"
#include "ecu/TarnProtocol.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"

#include <wx/icon.h>
#include <wx/intl.h>
#include <wx/menu.h>

// Defined before the event table in this file, so they are drawn first.
const long ID_TIMER = wxNewId();
const long ID_INPUT_NONE = wxNewId();
const long ID_INPUT_ECU = wxNewId();
const long ID_INPUT_FILE = wxNewId();

// clang-format off
wxBEGIN_EVENT_TABLE(MainFrame, wxFrame)
    EVT_MENU(wxID_EXIT, MainFrame::OnQuit)
    EVT_MENU(wxID_ABOUT, MainFrame::OnAbout)
    EVT_LEFT_DOWN(MainFrame::OnLeftDown)
    EVT_MENU(ID_INPUT_NONE, MainFrame::OnSelectInput)
    EVT_MENU(ID_INPUT_ECU, MainFrame::OnSelectInput)
    EVT_MENU(ID_INPUT_FILE, MainFrame::OnSelectInput)
    EVT_TIMER(ID_TIMER, MainFrame::OnTimer)
wxEND_EVENT_TABLE()
// clang-format on

// wxFRAME_SHAPED lets the analog gauge give the frame its circular shape.
static const long kFrameStyle = wxSYSTEM_MENU | wxCLOSE_BOX | wxNO_BORDER | wxFRAME_SHAPED;

MainFrame::MainFrame(const wxString& title)
    : wxFrame(nullptr, wxID_ANY, title, wxPoint(0, 0), wxSize(240, 320), kFrameStyle, "frame"),
      m_timer(this, ID_TIMER)
{
    SetIcon(wxIcon(sample_xpm));
    BuildMenus();

    DebugLog(0, "---parse tarnv3 start");
    loadDefinitionFile();
    CreateGauges();
    RegisterGauges();

    SetBackgroundColour(wxColour(255, 255, 254));
}

void MainFrame::CreateGauges()
{
    m_analogGauge = new TarnGauge(this, wxNewId(), wxPoint(15, 5), wxSize(210, 210), false);
    m_analogGauge->Show();
    m_analogGauge->SetDefaultGaugeDesc(wxString("rpm"));

    static const struct {
        const char* name;
        int x, y;
    } kDigital[kDigitalGaugeCount] = {
        {"map", 1, 220}, {"spark", 121, 220}, {"lambda", 1, 260}, {"dwell", 121, 260}};
    for (int i = 0; i < kDigitalGaugeCount; ++i)
        m_digitalGauges[i] =
            new TarnGaugeDigital(this, kDigital[i].name, kDigital[i].x, kDigital[i].y, 118);
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

MainFrame::~MainFrame()
{
    m_timer.Stop();
    if (m_dispatcher)
        m_dispatcher->SetInput(nullptr);
    delete m_dispatcher;
}

void MainFrame::BuildMenus()
{
    wxMenu* fileMenu = new wxMenu;
    fileMenu->Append(wxID_EXIT, "E&xit\tAlt-X", "Quit this program");

    wxMenu* helpMenu = new wxMenu;
    helpMenu->Append(wxID_ABOUT, "&About...\tF1", "Show about dialog");

    wxMenu* inputMenu = new wxMenu;
    inputMenu->AppendRadioItem(ID_INPUT_NONE, _("None"), "");
    inputMenu->AppendRadioItem(ID_INPUT_ECU, _("ECU"), "");
    inputMenu->AppendRadioItem(ID_INPUT_FILE, _("File"), "");

    wxMenuBar* menuBar = new wxMenuBar;
    menuBar->Append(fileMenu, "&File");
    menuBar->Append(helpMenu, "&Help");
    menuBar->Append(inputMenu, "&Select Input");
    inputMenu->Check(ID_INPUT_NONE, true);
    SetMenuBar(menuBar);
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
    std::unique_ptr<RTDataMgr> old = std::move(m_input);
    m_input.reset(input);
    m_dispatcher->SetInput(input);
}

void MainFrame::OnSelectInput(wxCommandEvent& event)
{
    const long id = event.GetId();
    if (id == ID_INPUT_NONE) {
        ReplaceInput(nullptr);
        m_timer.Stop();
    } else if (id == ID_INPUT_ECU) {
        m_timer.Stop();
        ReplaceInput(new RTDataMgrSerial(TarnProtocol::getInstance(), currentSymbolTable()));
        if (!m_timer.IsRunning())
            m_timer.Start(kEcuPeriodMs, wxTIMER_CONTINUOUS);
    } else if (id == ID_INPUT_FILE) {
        m_timer.Stop();
        ReplaceInput(new RTDataMgrFile("datalog.log"));
        if (!m_timer.IsRunning())
            m_timer.Start(kFilePeriodMs, wxTIMER_CONTINUOUS);
    }
}

void MainFrame::OnTimer(wxTimerEvent&)
{
    const size_t count = m_dispatcher->GetGaugeCount();
    DebugLog(0, wxString::Format("MainFrame::OnTimer() GAUGE COUNT: %i", int(count)));
    DebugLog(0, wxString::Format("MainFrame::OnTimer() INPUT: %p",
                                 static_cast<void*>(m_dispatcher->GetInput())));
    if (count > 0 && m_dispatcher->GetInput())
        m_dispatcher->Update();
    else
        m_timer.Stop();
}
