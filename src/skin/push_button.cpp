#include "skin/push_button.h"

#include <algorithm>

#include "platform/handles.h"
#include "skin/hover.h"
#include "skin/paint/button_paint.h"
#include "skin/paint/geometry.h"
#include "skin/paint/surface.h"
#include "skin/paint/visual_state.h"

namespace zarvio::skin {
namespace {

constexpr intptr_t kReleaseFadeStart = 60;
constexpr intptr_t kLeaveHoverLevel = 140;
constexpr int kCornerEllipse = 3;

// Corners cut by a 3 x 3 ellipse. The window owns the region once SetWindowRgn took it.
void SetRoundedRegion(HWND hwnd, int width, int height) {
    Region region(CreateRoundRectRgn(0, 0, width + 1, height + 1, kCornerEllipse, kCornerEllipse));
    if (region && SetWindowRgn(hwnd, region.get(), TRUE)) (void)region.release();
}

// A picture is at least one pixel each way, so a button that has no size yet still gets its four
// pictures, to be resized with the button.
int PictureSide(int length) { return std::max(length, 1); }

void CreatePictures(HWND hwnd, const WindowBox& box) {
    for (int n = 0; n < kPictureCount; ++n) {
        const HDC picture = CreateSurface(PictureSide(box.width), PictureSide(box.height));
        if (!picture) continue;
        WriteWindowProp(hwnd, StateSurfaceProp(n), reinterpret_cast<intptr_t>(picture));
        WriteWindowProp(hwnd, StateBitmapProp(n), reinterpret_cast<intptr_t>(GetCurrentObject(picture, OBJ_BITMAP)));
    }
}

// A new bitmap of the button's size for every picture; the ones they held are freed.
void ResizePictures(HWND hwnd, int width, int height) {
    for (int n = 0; n < kPictureCount; ++n) {
        const HBITMAP bitmap = ResizeSurface(ButtonPicture(hwnd, n), PictureSide(width), PictureSide(height));
        if (bitmap) WriteWindowProp(hwnd, StateBitmapProp(n), reinterpret_cast<intptr_t>(bitmap));
    }
}

// Each picture goes with the bitmap selected into it, which is the one its "BMPn" names.
void DeletePictures(HWND hwnd) {
    for (int n = 0; n < kPictureCount; ++n) {
        DeleteSurface(ButtonPicture(hwnd, n));
        RemoveWindowProp(hwnd, StateSurfaceProp(n));
        RemoveWindowProp(hwnd, StateBitmapProp(n));
    }
}

// Shows the current state's picture fully and stops any fade.
void ShowFully(HWND hwnd) {
    (void)StopStateTimer(hwnd);
    WriteWindowProp(hwnd, kAlphaLevelProp, 255);
    (void)BlendButtonState(hwnd, nullptr);
}

// Shows the current state's picture fully; the next fade starts from nothing.
void ShowAtOnce(HWND hwnd) {
    ShowFully(hwnd);
    WriteWindowProp(hwnd, kAlphaLevelProp, 0);
}

void StartFade(HWND hwnd, intptr_t fromLevel) {
    WriteWindowProp(hwnd, kAlphaLevelProp, fromLevel);
    (void)StartStateTimer(hwnd);
}

}  // namespace

void PreparePushButton(HWND hwnd) {
    WindowBox box;
    (void)GetWindowBox(hwnd, box);
    CreatePictures(hwnd, box);
    RenderButtonStates(hwnd);

    const LONG_PTR style = GetWindowLongPtrW(hwnd, GWL_STYLE);
    // The platform must stop drawing the face itself; a non-zero lParam asks for a redraw.
    if (SkinDrawsButtonFace(style)) (void)SendMessageW(hwnd, BM_SETSTYLE, BS_OWNERDRAW, -1);
    WriteWindowProp(hwnd, kOldStyleProp, style);
    SetRoundedRegion(hwnd, box.width, box.height);
}

void ReleasePushButton(HWND hwnd) {
    DeletePictures(hwnd);
    (void)StopStateTimer(hwnd);

    // Only the button type was changed by hooking; the rest of the style (enabled, visible, ...)
    // may have changed since, and is the button's present state, not something to undo.
    const LONG_PTR saved = ReadWindowProp(hwnd, kOldStyleProp);
    const LONG_PTR now = GetWindowLongPtrW(hwnd, GWL_STYLE);
    const LONG_PTR restored = (now & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | (saved & BS_TYPEMASK);
    if (restored != now) (void)SetWindowLongPtrW(hwnd, GWL_STYLE, restored);
    RemoveWindowProp(hwnd, kOldStyleProp);
    (void)SetWindowRgn(hwnd, nullptr, TRUE);
}

LRESULT PushButtonPaint(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!SkinDrawsButtonFace(ReadWindowProp(hwnd, kOldStyleProp))) {
        return PassOn(oldProc, hwnd, msg, wParam, lParam);
    }
    (void)StopStateTimer(hwnd);
    WriteWindowProp(hwnd, kAlphaLevelProp, 255);
    const PaintDc paint(hwnd);
    (void)BlendButtonState(hwnd, paint.get());
    return 0;
}

LRESULT PushButtonSize(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        WindowBox box;
        (void)GetWindowBox(hwnd, box);
        ResizePictures(hwnd, box.width, box.height);
        RenderButtonStates(hwnd);
        SetRoundedRegion(hwnd, box.width, box.height);
    });
}

LRESULT PushButtonPress(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        StoreState(hwnd, VisualState::Pressed);
        ShowAtOnce(hwnd);
    });
}

LRESULT PushButtonRelease(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        WriteWindowProp(hwnd, kMouseFlagProp, 0);
        StoreState(hwnd, VisualState::Normal);
        StartFade(hwnd, kReleaseFadeStart);
    });
}

LRESULT PushButtonKeyDown(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        if (wParam != VK_SPACE) return;
        StoreState(hwnd, VisualState::Pressed);
        ShowAtOnce(hwnd);
    });
}

LRESULT PushButtonKeyUp(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        if (wParam != VK_SPACE) return;
        WriteWindowProp(hwnd, kMouseFlagProp, 0);
        WriteWindowProp(hwnd, kAlphaLevelProp, 0);
        StoreState(hwnd, VisualState::Normal);
        (void)StartStateTimer(hwnd);
    });
}

LRESULT PushButtonMouseMove(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        if (ReadWindowProp(hwnd, kMouseFlagProp) == 0) {
            WriteWindowProp(hwnd, kMouseFlagProp, 1);
            TrackMouseLeave(hwnd);
            StoreState(hwnd, VisualState::Hover);
            StartFade(hwnd, 0);
        } else if (!PointerIsOver(hwnd)) {
            // Dragged off while the button holds the capture: the current state, fully, at once.
            ShowFully(hwnd);
        }
    });
}

LRESULT PushButtonMouseLeave(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        WriteWindowProp(hwnd, kMouseFlagProp, 0);
        StoreState(hwnd, VisualState::Hover);
        WriteWindowProp(hwnd, kAlphaLevelProp, kLeaveHoverLevel);
        (void)BlendButtonState(hwnd, nullptr);
        StoreState(hwnd, VisualState::Normal);
        StartFade(hwnd, 0);
    });
}

LRESULT PushButtonTimer(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    FadeStep(hwnd);  // whatever the identifier: the button runs no other timer
    return PassOn(oldProc, hwnd, msg, wParam, lParam);
}

LRESULT PushButtonEnable(WNDPROC oldProc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        StoreState(hwnd, wParam ? VisualState::Normal : VisualState::Disabled);
        (void)BlendButtonState(hwnd, nullptr);
    });
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
    return AfterPassingOn(oldProc, hwnd, msg, wParam, lParam, [&] {
        RenderButtonStates(hwnd);
        StartFade(hwnd, 0);
    });
}

}  // namespace zarvio::skin
