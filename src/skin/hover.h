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

// Asks for one WM_MOUSELEAVE when the pointer leaves hwnd, through user32's TrackMouseEvent when
// the start-up probe found it, else through comctl32's _TrackMouseEvent.
void TrackMouseLeave(HWND hwnd);

// Whether the pointer is over hwnd itself (not a window in front of it or inside it).
bool PointerIsOver(HWND hwnd);

// The first movement after the pointer came in asks for the leave report; later ones do nothing.
void BeginHover(HWND hwnd);

// Starts the button's fade timer; 0 when one runs already (it goes on unchanged).
UINT_PTR StartStateTimer(HWND hwnd);

// Stops the button's fade timer; KillTimer's result, or 0 when none ran.
BOOL StopStateTimer(HWND hwnd);

// One fade step of a push button: blend the current state's picture at "ALPHALEVEL", raise the
// level by 3, and after the blend at 255 stop the timer and let the level rest at 0.
void FadeStep(HWND hwnd);

}  // namespace zarvio::skin
