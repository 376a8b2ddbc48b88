#include "app/DashboardMenus.h"

#include "app/InputSession.h"
#include "app/MenuIds.h"

#include <wx/intl.h>
#include <wx/menu.h>

wxMenuBar* BuildDashboardMenus()
{
    // The keys are handled by the frame wherever the focus is (the toolkit
    // takes no plain arrow keys as accelerators); the labels name them.
    wxMenu* replayMenu = new wxMenu;
    replayMenu->AppendCheckItem(ID_REPLAY_PAUSE, _("&Pause (Space)"));
    replayMenu->Append(ID_REPLAY_SLOWER, _("&Slower (-)"));
    replayMenu->Append(ID_REPLAY_FASTER, _("&Faster (+)"));
    replayMenu->Append(ID_REPLAY_BACK, _("&Back 10 s (Left)"));
    replayMenu->Append(ID_REPLAY_FORWARD, _("F&orward 10 s (Right)"));
    replayMenu->Append(ID_REPLAY_START, _("Back to s&tart (Home)"));

    wxMenu* fileMenu = new wxMenu;
    fileMenu->Append(wxID_EXIT, "E&xit\tAlt-X", "Quit this program");
    fileMenu->Append(ID_OPEN_LOG, wxGetTranslation(L"&Open log\u2026") + "\tCtrl-O",
                     _("Replay another log file"));
    fileMenu->AppendSubMenu(replayMenu, _("Re&play"));
    fileMenu->AppendCheckItem(ID_RECORD, _("&Record\tCtrl-R"), _("Record the ECU's values to a new log file"));
    fileMenu->Append(ID_READ_CONSTANTS, _("Read &constants"), _("Read the constants from the ECU again"));
    fileMenu->AppendSeparator();
    fileMenu->AppendCheckItem(ID_NIGHT, _("&Night colours\tCtrl-N"), _("Dark colours for driving at night"));
    fileMenu->Append(ID_RESET_PEAKS, _("Reset &peaks\tCtrl-K"), _("Forget the highest and lowest values"));
    fileMenu->AppendSubMenu(new wxMenu, _("&Settings"), _("The definition file's own settings"));

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
    return menuBar;
}

wxMenu* SettingsSubMenu(wxMenuBar& bar)
{
    wxMenu* file = bar.GetMenu(0);
    for (wxMenuItem* item : file->GetMenuItems())
        if (item->IsSubMenu() && item->GetItemLabelText() == wxGetTranslation("Settings"))
            return item->GetSubMenu();
    return nullptr;
}

void ShowSessionInMenus(wxMenuBar& bar, InputSession& session)
{
    for (long id : {ID_RECORD, ID_READ_CONSTANTS, ID_REPLAY_PAUSE, ID_REPLAY_SLOWER, ID_REPLAY_FASTER, ID_REPLAY_BACK,
                    ID_REPLAY_FORWARD, ID_REPLAY_START}) {
        bar.Enable(id, session.IsCommandEnabled(id));
        if (bar.FindItem(id)->IsCheckable())
            bar.Check(id, session.IsCommandChecked(id));
    }
}

long InputItemOf(InputChoice input)
{
    return input == InputChoice::Ecu ? ID_INPUT_ECU : input == InputChoice::File ? ID_INPUT_FILE : ID_INPUT_NONE;
}

InputChoice InputChoiceOf(long item)
{
    return item == ID_INPUT_ECU ? InputChoice::Ecu : item == ID_INPUT_FILE ? InputChoice::File : InputChoice::None;
}
