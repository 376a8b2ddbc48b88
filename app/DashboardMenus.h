#pragma once
// The main frame's menu bar, by the ids of app/MenuIds.h: File (Exit, Open
// log..., Replay, Record, Read constants, Night colours, Reset peaks,
// Settings), Help (About), Select Input (None, ECU, File).
#include "app/CommandLine.h"

class InputSession;
class wxMenu;
class wxMenuBar;

// "None" is chosen.
wxMenuBar* BuildDashboardMenus();
// File > Settings, filled by the frame for its definition file.
wxMenu* SettingsSubMenu(wxMenuBar& bar);
// Enables and checks the commands of the input sessions as `session` says.
void ShowSessionInMenus(wxMenuBar& bar, InputSession& session);

// The Select Input item of `input`, and the input of an item.
long InputItemOf(InputChoice input);
InputChoice InputChoiceOf(long item);
