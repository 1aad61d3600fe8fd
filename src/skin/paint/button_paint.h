// Push buttons: four pictures rendered in advance, blended onto the button to show a state.
// They live in the button's "HDC0".."HDC3" surfaces (normal, hover, pressed, disabled), each the
// size of the button window; the push button's hooking code creates, resizes and deletes them.
#pragma once
#include <windows.h>

#include <cstdint>

namespace zarvio::skin {

// Whether the skin draws the face of a button of the platform's button class with this style:
// plain and default push buttons only. Check boxes, radio buttons (also automatic ones, whose
// type value has neither bit 1 nor bit 2 set), group boxes, owner-drawn and other buttons keep
// painting themselves.
inline bool SkinDrawsButtonFace(LONG_PTR style) {
    const LONG_PTR type = style & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// The surface of picture n ("HDCn", n the VisualState's value); nullptr when the button has none.
HDC ButtonPicture(HWND hwnd, intptr_t n);

// Renders all four pictures: the ButtonImage cell by nine-slice, the caption centred with an
// ellipsis, and the focus box when the button has the keyboard focus.
void RenderButtonStates(HWND hwnd);

// Blends the picture of the button's "OLDSTATE" onto it at opacity "ALPHALEVEL" (0 leaves the
// screen as it is, 255 copies). A disabled button is switched to VisualState::Disabled first; a button whose
// saved style ("OLDSTYLE") is not one the skin draws (SkinDrawsButtonFace) is left alone.
// hdc 0 means the button's window DC. Returns 0.
int BlendButtonState(HWND hwnd, HDC hdc);

}  // namespace zarvio::skin
