// Small helpers over the platform controls the toolkit creates.
#pragma once
#include <windows.h>

#include <string>

#include "platform/toolkit/form_messages.h"
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
struct StatusPanel {
    PanelKind kind;
    int widthTwips;
    std::wstring tooltip;
};
// Divides the bar into the panels and keeps the date and time panels current. The panels' tips
// are the form's (Form::ConfigureStatusBar gives both).
void LayOutStatusPanels(HWND bar, const StatusPanel* panels, int count);
void SetPanelText(HWND bar, int panel, const std::wstring& text);  // 0-based panel
std::wstring PanelText(HWND bar, int panel);

}  // namespace zarvio
