// Small helpers over the platform controls the toolkit creates.
#pragma once
#include <windows.h>

#include <string>

#include "platform/window_text.h"

namespace zarvio {

// Registers the toolkit's window classes (superclasses of the platform's controls). Idempotent.
void RegisterToolkitClasses();

int ListCount(HWND list);
int ListIndex(HWND list);             // -1 when nothing is selected
void SetListIndex(HWND list, int index);
std::wstring ListText(HWND list, int index);
void ListAdd(HWND list, const std::wstring& text);
void ListRemove(HWND list, int index);
void ListClear(HWND list);

bool IsChecked(HWND checkBox);
void SetChecked(HWND checkBox, bool checked);

// Status bar: panel texts, widths in twips and the panels that show the date and the time.
enum class PanelKind { Text, Date, Time };
struct PanelSpec {
    PanelKind kind;
    int widthTwips;
    std::wstring tooltip;
};
void ConfigureStatusBar(HWND bar, const PanelSpec* panels, int count);
void SetPanelText(HWND bar, int panel, const std::wstring& text);  // 0-based panel
std::wstring PanelText(HWND bar, int panel);

// The toolkit notifies a control's form of pointer movement over it with this message
// (wParam = control id, lParam = control handle).
inline constexpr UINT kControlMouseMove = WM_APP + 0x301;

}  // namespace zarvio
