// The main window's two station lists, filled from the station files: the visible one with
// numbered names, the hidden one with the raw addresses, index for index.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace zarvio {

// "001 ★ name": the 1-based number zero-padded to at least three digits, never truncated.
std::wstring FormatListEntry(size_t index, std::wstring_view name);

// Refills the main window's visible list with numbered names and its hidden list with the raw
// addresses, index for index.
void LoadMainList(HWND list1, HWND list2, const std::wstring& appDir);

}  // namespace zarvio
