// Push buttons under the skin. Each hooked button owns four pictures of its own size (normal,
// hover, pressed, disabled, in "HDC0".."HDC3" with their bitmaps in "BMP0".."BMP3"); every change
// of look is one alpha blend of one of them, at once or as a fade (see hover.h).
//
// Windows of the platform's button class that are check boxes, radio buttons or group boxes are
// of the same kind: their state properties follow the mouse, but they keep painting themselves.
#pragma once
#include <windows.h>

#include "skin/message_handler.h"

namespace zarvio::skin {

// The button's own share of hooking, beside the state properties every button gets: pictures,
// owner-drawn style (for plain push buttons, the style before kept in "OLDSTYLE") and rounded
// corners.
void PreparePushButton(HWND hwnd);

// Frees the pictures, stops the fade, gives the button its own style back and its square shape.
void ReleasePushButton(HWND hwnd);

// The push-button share of the engine's message handlers.
MessageHandler PushButtonPaint, PushButtonSize, PushButtonPress, PushButtonRelease, PushButtonKeyDown,
    PushButtonKeyUp, PushButtonMouseMove, PushButtonMouseLeave, PushButtonTimer, PushButtonEnable;
// A dialog moving its default button re-styles push buttons as plain or default ones; a button
// the skin draws stays owner-drawn, and the type asked for is what it gets back when unhooked.
MessageHandler PushButtonSetStyle;
MessageHandler PushButtonFocus;

}  // namespace zarvio::skin
