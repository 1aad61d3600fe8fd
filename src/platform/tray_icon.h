// The notification-area icon.
#pragma once
#include <windows.h>

#include <string>

namespace zarvio {

struct TrayIconSpec {
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
    virtual bool Add(const TrayIconSpec& spec) = 0;
    // Changes the tip (and icon) of an icon that was added.
    virtual bool Modify(const TrayIconSpec& spec) = 0;
    virtual bool Remove(const TrayIconSpec& spec) = 0;
};

class Win32TrayIcon final : public TrayIconService {
public:
    bool Add(const TrayIconSpec& spec) override;
    bool Modify(const TrayIconSpec& spec) override;
    bool Remove(const TrayIconSpec& spec) override;
};

}  // namespace zarvio
