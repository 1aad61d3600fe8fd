// The program's message loop, one step at a time: whatever pumps messages through the step gets
// the keyboard as the program's own loop has it.
#pragma once
#include <windows.h>

namespace zarvio {

// Ctrl+F, sent to the top-level window the key was pressed in; a window that finds something
// (the main window: the station search) returns TRUE, and the key goes no further.
inline constexpr UINT kFindKeyMessage = WM_APP + 0x310;

// Hands one message to the program: the active window's dialog keys (Tab, Enter, Esc, the
// access keys) first, then the window procedure.
void DispatchProgramMessage(MSG& msg);

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace zarvio
