#include "skin/paint/boxes.h"

#include "platform/handles.h"

namespace zarvio::skin {

int FillBox(HDC hdc, const Box& box, COLORREF color) {
    const Brush brush(CreateSolidBrush(color));
    const RECT r = box.ToRect();
    return FillRect(hdc, &r, brush.get());
}

int FrameBox(HDC hdc, const Box& box, COLORREF color) {
    const Brush brush(CreateSolidBrush(color));
    const RECT r = box.ToRect();
    return FrameRect(hdc, &r, brush.get());
}

BOOL DrawFocusBox(HDC hdc, const Box& box) {
    const RECT r = box.ToRect();
    return DrawFocusRect(hdc, &r);
}

int DrawTextBox(HDC hdc, std::wstring_view text, const Box& box, UINT format) {
    RECT r = box.ToRect();
    if (text.empty()) text = L"";  // a default view has no data pointer to hand over
    // Without DT_MODIFYSTRING DrawTextW only reads the text, so the view's data can be passed.
    return DrawTextW(hdc, text.data(), static_cast<int>(text.size()), &r, format & ~DT_MODIFYSTRING);
}

}  // namespace zarvio::skin
