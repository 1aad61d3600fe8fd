#include "skin/paint/button_paint.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/handles.h"
#include "platform/window_text.h"
#include "skin/paint/blit.h"
#include "skin/paint/boxes.h"
#include "skin/paint/geometry.h"
#include "skin/paint/images.h"
#include "skin/paint/palette.h"
#include "skin/paint/target_dc.h"
#include "skin/paint/visual_state.h"
#include "skin/paint/window_props.h"

namespace zarvio::skin {
namespace {

constexpr int kCellWidth = 7;
constexpr int kCellHeight = 21;

}  // namespace

HDC ButtonPicture(HWND hwnd, intptr_t n) {
    const wchar_t* name = StateSurfaceProp(n);
    return name ? static_cast<HDC>(GetPropW(hwnd, name)) : nullptr;
}

void RenderButtonStates(HWND hwnd) {
    WindowBox window;
    (void)GetWindowBox(hwnd, window);
    const int W = window.width, H = window.height;
    const std::wstring caption = WindowText(hwnd);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    const bool focused = GetFocus() == hwnd;
    const Box label{2, 2, W - 4, H - 4};

    for (int state = 0; state < kPictureCount; ++state) {
        const HDC dc = ButtonPicture(hwnd, state);
        if (!dc) continue;
        // The pictures outlive this call and the font belongs to the button: select it only
        // while drawing, so no surface keeps a font that may be deleted under it.
        std::optional<SelectGuard> withFont;
        if (font) withFont.emplace(dc, font);
        (void)SetBkMode(dc, TRANSPARENT);
        (void)DrawNineSlice(dc, {0, 0, W, H}, ButtonImage(), {0, kCellHeight * state, kCellWidth, kCellHeight},
                            {3, 3, 3, 3});
        const bool disabled = static_cast<VisualState>(state) == VisualState::Disabled;
        (void)SetTextColor(dc, disabled ? kDisabledCaptionColor : kCaptionColor);
        (void)DrawTextBox(dc, caption, label, kCenteredLabel);
        if (focused) (void)DrawFocusBox(dc, label);
    }
}

int BlendButtonState(HWND hwnd, HDC hdc) {
    if (!IsWindowEnabled(hwnd)) StoreState(hwnd, VisualState::Disabled);
    if (!SkinDrawsButtonFace(ReadWindowProp(hwnd, kOldStyleProp))) return 0;

    WindowBox window;
    (void)GetWindowBox(hwnd, window);
    const HDC picture = ButtonPicture(hwnd, ReadWindowProp(hwnd, kOldStateProp));
    if (!picture) return 0;
    // The fade raises the level in steps; a level past 255 must not wrap round to transparent.
    const auto alpha = static_cast<BYTE>(std::clamp<intptr_t>(ReadWindowProp(hwnd, kAlphaLevelProp), 0, 255));

    const TargetDc target(hwnd, hdc);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, 0};
    (void)AlphaBlend(target.get(), 0, 0, window.width, window.height, picture, 0, 0, window.width,
                     window.height, blend);
    return 0;
}

}  // namespace zarvio::skin
