#include "platform/window_text.h"

namespace zarvio {

std::wstring WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    // Room for the terminator GetWindowTextW always writes.
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

void SetWindowTextString(HWND hwnd, const std::wstring& text) { SetWindowTextW(hwnd, text.c_str()); }

}  // namespace zarvio
