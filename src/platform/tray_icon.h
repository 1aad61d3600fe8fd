// The notification-area icon.
#pragma once
#include <windows.h>

#include <string>

namespace zarvio {

// What the shell shows for the icon and where it reports the mouse.
struct TrayIconData {
    HWND window = nullptr;
    UINT id = 1;
    UINT callbackMessage = 0;
    HICON icon = nullptr;
    std::wstring tip;
    // The shell's behaviour version (NIM_SETVERSION) set after every add; 0 keeps the default.
    UINT version = 0;
};

class TrayIconService {
public:
    virtual ~TrayIconService() = default;
    // False when the shell did not take the icon (at logon it may not be running yet).
    [[nodiscard]] virtual bool Add(const TrayIconData& icon) = 0;
    // Changes the tip (and icon) of an icon that was added.
    [[nodiscard]] virtual bool Modify(const TrayIconData& icon) = 0;
    [[nodiscard]] virtual bool Remove(const TrayIconData& icon) = 0;
};

class Win32TrayIcon final : public TrayIconService {
public:
    bool Add(const TrayIconData& icon) override;
    bool Modify(const TrayIconData& icon) override;
    bool Remove(const TrayIconData& icon) override;
};

}  // namespace zarvio
