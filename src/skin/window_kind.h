// Telling windows apart. The engine goes by a window's class name alone, lower-cased, and asks
// afresh every time: a window can be destroyed and its handle reused at any moment.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace zarvio::skin {

enum class WindowKind {
    Form,       // dialog boxes, message boxes and the program's forms
    Button,     // push buttons, and every window of the platform's button class
    Combo,      // combo boxes
    DriveList,  // drop-down lists of drives
    CheckBox,   // the program's check boxes
    Option,     // the program's option buttons
    Progress,   // progress bars
    Header,     // column headers of lists and grids
    DataList,   // data-bound lists
    ComboList,  // the dropped-down list of a combo box
    Grid,       // grid controls; only the paint handler tells them from Other
    Other,      // everything else, and a window whose class cannot be had
};

// The class name as the platform gives it (at most 255 characters); empty when it cannot be had.
std::wstring GetClassText(HWND hwnd);

// The kind a lower-cased class name stands for. Grids are only recognised when asked for.
WindowKind KindOfClassName(std::wstring_view lowerName, bool recogniseGrids = false);

// The kind of a window, from its class name as it is now.
WindowKind KindOf(HWND hwnd, bool recogniseGrids = false);

}  // namespace zarvio::skin
