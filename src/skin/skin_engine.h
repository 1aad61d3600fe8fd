// The skin engine: takes over windows of the process ("hooks" them) by replacing their window
// procedure with SkinWindowProc, keeps its per-window state in their property lists, and gives
// them their own procedure, style and shape back when they are unhooked or destroyed.
//
// Only the main window is hooked explicitly (InitSkin at start-up, ExitSkin at exit). A form is
// hooked with all its descendants; forms, message boxes and drop-down lists that appear later
// are hooked when a hooked window is told of them (WM_ACTIVATE, WM_ENTERIDLE,
// WM_CTLCOLORLISTBOX). The five skin images exist from the first InitSkin until the last hooked
// window is unhooked.
#pragma once
#include <windows.h>

#include "skin/engine_state.h"  // SkinReady, HasTrackMouseEvent, HookedCount

namespace zarvio::skin {

// Builds the images and probes for TrackMouseEvent when the engine is not ready, then hooks hwnd.
// Returns AttachWindow's result.
int InitSkin(HWND hwnd);

// Unhooks hwnd (and, for a form, everything inside it). Returns DetachWindow's result.
int ExitSkin(HWND hwnd);

// 1 when this call hooked the window; 0 for a null handle or a window hooked already.
int AttachWindow(HWND hwnd);

// 1 when this call unhooked the window; 0 for a null handle or a window not hooked.
int DetachWindow(HWND hwnd);

// EnumChildWindows callbacks that hook or unhook each window visited; they always continue.
BOOL CALLBACK AttachChildProc(HWND hwnd, LPARAM);
BOOL CALLBACK DetachChildProc(HWND hwnd, LPARAM);

// The one procedure of every hooked window.
LRESULT CALLBACK SkinWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Whether a window currently runs through SkinWindowProc.
bool IsHooked(HWND hwnd);

}  // namespace zarvio::skin
