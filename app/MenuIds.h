#pragma once
// The ids of the main frame's timer and menu items, drawn from the toolkit's
// id generator at static initialisation. They are defined in MainFrame.cpp,
// before the event table that reads them.
extern const long ID_TIMER;
extern const long ID_INPUT_NONE;
extern const long ID_INPUT_ECU;
extern const long ID_INPUT_FILE;
extern const long ID_OPEN_LOG;
// The commands of the input sessions: recording the ECU, and the replay
// controls, each with its key: Space, "-", "+", Left, Right, Home.
extern const long ID_RECORD;
// Reading the ECU's pages of constants again.
extern const long ID_READ_CONSTANTS;
extern const long ID_REPLAY_PAUSE;
extern const long ID_REPLAY_SLOWER;
extern const long ID_REPLAY_FASTER;
extern const long ID_REPLAY_BACK;
extern const long ID_REPLAY_FORWARD;
extern const long ID_REPLAY_START;
// Night colours (Ctrl-N), and clearing every gauge's peaks (Ctrl-K).
extern const long ID_NIGHT;
extern const long ID_RESET_PEAKS;
