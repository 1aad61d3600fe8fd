// Hover tracking and the push buttons' fade timers.
//
// The platform reports pointer movement inside a window but not its leaving unless asked each
// time; "MOUSEFLAG" remembers that a leave report has been asked for and not yet received.
// A push button changes its look by blending the new state's picture over the old one with
// rising opacity, one step per tick of a 15 ms window timer (identifier 1, one per button).
#pragma once
#include <windows.h>

namespace zarvio::skin {

inline constexpr UINT_PTR kStateTimerId = 1;
inline constexpr UINT kStateTimerInterval = 15;  // milliseconds
inline constexpr int kFadeStep = 3;

// True when the library is loaded or can be loaded and exports the procedure. A library the
// probe had to load is freed again; one that was loaded already is left as it was.
bool ProcExists(const char* procName, const wchar_t* libraryName);

// Asks for one WM_MOUSELEAVE when the pointer leaves hwnd, through user32's TrackMouseEvent when
// the start-up probe found it, else through comctl32's _TrackMouseEvent.
void TrackMouseLeave(HWND hwnd);

// The first movement after the pointer came in asks for the leave report; later ones do nothing.
void BeginHover(HWND hwnd);

// Starts the button's fade timer; 0 when one runs already (it goes on unchanged).
UINT_PTR StartStateTimer(HWND hwnd);

// Stops the button's fade timer; KillTimer's result, or 0 when none ran.
BOOL StopStateTimer(HWND hwnd);

// One fade step of a push button: blend the current state's picture at "ALPHALEVEL", raise the
// level by 3, and after the blend at 255 stop the timer and let the level rest at 0.
void FadeStep(HWND hwnd);

// The halves of a mouse message's lParam as signed coordinates (captured pointers can be left
// of or above the window).
inline int LoWordSigned(LPARAM lParam) { return static_cast<short>(static_cast<WORD>(lParam & 0xFFFF)); }
inline int HiWordSigned(LPARAM lParam) { return static_cast<short>(static_cast<WORD>((lParam >> 16) & 0xFFFF)); }

}  // namespace zarvio::skin
