// Finding a form's controls by class, for tests that look at every control of a kind.
#pragma once
#include <windows.h>

#include <vector>

#include "platform/toolkit/class_names.h"

namespace zarvio::test {

// Every descendant of the window whose class name is cls (case-insensitive), in the platform's
// enumeration order.
inline std::vector<HWND> ChildrenOfClass(HWND parent, const wchar_t* cls) {
    struct Search {
        const wchar_t* cls;
        std::vector<HWND> found;
    } search{cls, {}};
    (void)EnumChildWindows(
        parent,
        [](HWND child, LPARAM p) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(p);
            wchar_t name[256] = {};
            if (GetClassNameW(child, name, 256) && lstrcmpiW(name, s.cls) == 0) s.found.push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The toolkit's push buttons on a form.
inline std::vector<HWND> PushButtonsOf(HWND form) { return ChildrenOfClass(form, kButtonClass); }

}  // namespace zarvio::test
