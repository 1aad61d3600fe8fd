// A window's text as a string, for every layer of the program: controls, captions the skin
// draws, labels the forms fill in.
#pragma once
#include <windows.h>

#include <string>

namespace zarvio {

// The window's whole text; "" when it has none or the window is gone.
std::wstring WindowText(HWND hwnd);

void SetWindowTextString(HWND hwnd, const std::wstring& text);

}  // namespace zarvio
