#include "skin/push_button.h"

#include "platform/handles.h"
#include "skin/hover.h"
#include "skin/paint/button_paint.h"
#include "skin/paint/geometry.h"
#include "skin/window_props.h"

namespace zarvio::skin {
namespace {

constexpr intptr_t kNormal = 0;
constexpr intptr_t kHover = 1;
constexpr intptr_t kPressed = 2;
constexpr intptr_t kDisabled = 3;
constexpr intptr_t kReleaseFadeStart = 60;
constexpr intptr_t kLeaveHoverLevel = 140;
constexpr int kCornerEllipse = 3;

HDC Picture(HWND hwnd, int state) { return static_cast<HDC>(GetPropW(hwnd, StateSurfaceProp(state))); }
HBITMAP PictureBitmap(HWND hwnd, int state) {
    return static_cast<HBITMAP>(GetPropW(hwnd, StateBitmapProp(state)));
}

// Corners cut by a 3 x 3 ellipse. The window owns the region once SetWindowRgn took it.
void SetRoundedRegion(HWND hwnd, int width, int height) {
    Region region(CreateRoundRectRgn(0, 0, width + 1, height + 1, kCornerEllipse, kCornerEllipse));
    if (region && SetWindowRgn(hwnd, region.get(), TRUE)) region.release();
}

// A new bitmap of the button's size for every picture; the ones they held are freed.
void ResizePictures(HWND hwnd, HDC windowDc, int width, int height) {
    for (int n = 0; n < 4; ++n) {
        const HDC picture = Picture(hwnd, n);
        if (!picture) continue;
        Bitmap bitmap(CreateCompatibleBitmap(windowDc, width, height));
        if (!bitmap) continue;
        const HGDIOBJ displaced = SelectObject(picture, bitmap.get());
        if (!displaced || displaced == HGDI_ERROR) continue;
        DeleteObject(displaced);
        WriteWindowProp(hwnd, StateBitmapProp(n), reinterpret_cast<intptr_t>(bitmap.release()));
    }
}

// Shows the current state's picture fully and ends any fade.
void ShowAtOnce(HWND hwnd) {
    StopStateTimer(hwnd);
    WriteWindowProp(hwnd, kAlphaLevelProp, 255);
    BlendButtonState(hwnd, nullptr);
    WriteWindowProp(hwnd, kAlphaLevelProp, 0);
}

void StartFade(HWND hwnd, intptr_t fromLevel) {
    WriteWindowProp(hwnd, kAlphaLevelProp, fromLevel);
    StartStateTimer(hwnd);
}

bool PointerIsOver(HWND hwnd) {
    POINT cursor{};
    GetCursorPos(&cursor);
    return WindowFromPoint(cursor) == hwnd;
}

}  // namespace

void PreparePushButton(HWND hwnd) {
    WindowBox box;
    GetWindowBox(hwnd, box);
    {
        const WindowDc windowDc = WindowDc::Whole(hwnd);
        for (int n = 0; n < 4; ++n) {
            MemoryDc picture(CreateCompatibleDC(windowDc.get()));
            Bitmap bitmap(CreateCompatibleBitmap(windowDc.get(), box.width, box.height));
            if (!picture || !bitmap) continue;
            // What this displaces is the new DC's stock bitmap; freeing a stock object does nothing.
            const HGDIOBJ displaced = SelectObject(picture.get(), bitmap.get());
            if (displaced && displaced != HGDI_ERROR) DeleteObject(displaced);
            WriteWindowProp(hwnd, StateSurfaceProp(n), reinterpret_cast<intptr_t>(picture.release()));
            WriteWindowProp(hwnd, StateBitmapProp(n), reinterpret_cast<intptr_t>(bitmap.release()));
        }
        RenderButtonStates(hwnd);
    }

    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    // The platform must stop drawing the face itself; a non-zero lParam asks for a redraw.
    if (SkinDrawsButtonFace(style)) SendMessageW(hwnd, BM_SETSTYLE, BS_OWNERDRAW, -1);

    WriteWindowProp(hwnd, kOldStyleProp, style);
    WriteWindowProp(hwnd, kMouseFlagProp, 0);
    WriteWindowProp(hwnd, kTimerIdProp, 0);
    WriteWindowProp(hwnd, kOldStateProp, IsWindowEnabled(hwnd) ? kNormal : kDisabled);
    WriteWindowProp(hwnd, kAlphaLevelProp, 0);
    SetRoundedRegion(hwnd, box.width, box.height);
}

void ReleasePushButton(HWND hwnd) {
    for (int n = 0; n < 4; ++n) {
        const HDC picture = Picture(hwnd, n);
        const HBITMAP bitmap = PictureBitmap(hwnd, n);
        if (picture) DeleteDC(picture);
        if (bitmap) DeleteObject(bitmap);
        RemoveWindowProp(hwnd, StateSurfaceProp(n));
        RemoveWindowProp(hwnd, StateBitmapProp(n));
    }
    StopStateTimer(hwnd);

    // Only the button type was changed by hooking; the rest of the style (enabled, visible, ...)
    // may have changed since, and is the button's present state, not something to undo.
    const LONG_PTR saved = ReadWindowProp(hwnd, kOldStyleProp);
    const LONG_PTR now = GetWindowLongPtrW(hwnd, GWL_STYLE);
    const LONG_PTR restored = (now & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | (saved & BS_TYPEMASK);
    if (restored != now) SetWindowLongPtrW(hwnd, GWL_STYLE, restored);

    for (const wchar_t* name : {kOldStyleProp, kMouseFlagProp, kTimerIdProp, kOldStateProp, kAlphaLevelProp}) {
        RemoveWindowProp(hwnd, name);
    }
    SetWindowRgn(hwnd, nullptr, TRUE);
}

LRESULT PushButtonPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!SkinDrawsButtonFace(ReadWindowProp(hwnd, kOldStyleProp))) {
        return PassOn(oldProc, hwnd, msg, wParam, lParam);
    }
    StopStateTimer(hwnd);
    WriteWindowProp(hwnd, kAlphaLevelProp, 255);
    const PaintDc paint(hwnd);
    BlendButtonState(hwnd, paint.get());
    return 0;
}

LRESULT PushButtonSize(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    WindowBox box;
    GetWindowBox(hwnd, box);
    {
        const WindowDc windowDc = WindowDc::Whole(hwnd);
        ResizePictures(hwnd, windowDc.get(), box.width, box.height);
        RenderButtonStates(hwnd);
    }
    SetRoundedRegion(hwnd, box.width, box.height);
    return result;
}

LRESULT PushButtonPress(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    WriteWindowProp(hwnd, kOldStateProp, kPressed);
    ShowAtOnce(hwnd);
    return result;
}

LRESULT PushButtonRelease(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    WriteWindowProp(hwnd, kMouseFlagProp, 0);
    WriteWindowProp(hwnd, kOldStateProp, kNormal);
    StartFade(hwnd, kReleaseFadeStart);
    return result;
}

LRESULT PushButtonKeyDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (wParam == VK_SPACE && StillHooked(hwnd)) {
        WriteWindowProp(hwnd, kOldStateProp, kPressed);
        ShowAtOnce(hwnd);
    }
    return result;
}

LRESULT PushButtonKeyUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (wParam == VK_SPACE && StillHooked(hwnd)) {
        WriteWindowProp(hwnd, kMouseFlagProp, 0);
        WriteWindowProp(hwnd, kAlphaLevelProp, 0);
        WriteWindowProp(hwnd, kOldStateProp, kNormal);
        StartStateTimer(hwnd);
    }
    return result;
}

LRESULT PushButtonMouseMove(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    if (ReadWindowProp(hwnd, kMouseFlagProp) == 0) {
        WriteWindowProp(hwnd, kMouseFlagProp, 1);
        TrackMouseLeave(hwnd);
        WriteWindowProp(hwnd, kOldStateProp, kHover);
        StartFade(hwnd, 0);
    } else if (!PointerIsOver(hwnd)) {
        // Dragged off while the button holds the capture: the current state, fully, at once.
        StopStateTimer(hwnd);
        WriteWindowProp(hwnd, kAlphaLevelProp, 255);
        BlendButtonState(hwnd, nullptr);
    }
    return result;
}

LRESULT PushButtonMouseLeave(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    WriteWindowProp(hwnd, kMouseFlagProp, 0);
    WriteWindowProp(hwnd, kOldStateProp, kHover);
    WriteWindowProp(hwnd, kAlphaLevelProp, kLeaveHoverLevel);
    BlendButtonState(hwnd, nullptr);
    WriteWindowProp(hwnd, kOldStateProp, kNormal);
    StartFade(hwnd, 0);
    return result;
}

LRESULT PushButtonTimer(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    FadeStep(hwnd);  // whatever the identifier: the button runs no other timer
    return PassOn(oldProc, hwnd, msg, wParam, lParam);
}

LRESULT PushButtonEnable(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    WriteWindowProp(hwnd, kOldStateProp, wParam ? kNormal : kDisabled);
    BlendButtonState(hwnd, nullptr);
    return result;
}

LRESULT PushButtonSetStyle(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LONG_PTR saved = ReadWindowProp(hwnd, kOldStyleProp);
    if (!SkinDrawsButtonFace(saved) || !SkinDrawsButtonFace(static_cast<LONG_PTR>(wParam))) {
        return PassOn(oldProc, hwnd, msg, wParam, lParam);
    }
    const LONG_PTR type = static_cast<LONG_PTR>(wParam) & BS_TYPEMASK;
    WriteWindowProp(hwnd, kOldStyleProp, (saved & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | type);
    return PassOn(oldProc, hwnd, msg, BS_OWNERDRAW | (wParam & ~static_cast<WPARAM>(BS_TYPEMASK)), lParam);
}

LRESULT PushButtonFocus(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = PassOn(oldProc, hwnd, msg, wParam, lParam);
    if (!StillHooked(hwnd)) return result;
    RenderButtonStates(hwnd);
    StartFade(hwnd, 0);
    return result;
}

}  // namespace zarvio::skin
