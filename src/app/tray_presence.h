// The program's icon in the notification area: added at start-up and again whenever the taskbar
// comes back, its tip kept up to date, its mouse and keyboard actions turned into the main
// window's, and its menu, whose every item is a command of the main window.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/tray_icon.h"

namespace zarvio {

// Commands of the tray menu "文件".
enum MenuCommand : int {
    kMenuPlay = 201, kMenuStop, kMenuEditor, kMenuSettings, kMenuAbout, kMenuExit, kMenuDirectory,
};

// The tray icon reports mouse actions with this private message, so that a real pointer
// movement over the window can never be mistaken for a click on the icon.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;

class TrayPresence {
public:
    struct Hooks {
        std::function<std::wstring()> tip;        // the tip to show now
        std::function<void()> restore;            // brings the window back into view
        std::function<void(int command)> command; // runs a menu command
    };

    TrayPresence(TrayIconService& tray, Hooks hooks);

    // The icon of window, with this image, from now on until Remove. At logon the shell may
    // not be ready for it: it is then added when the taskbar comes.
    void Add(HWND window, HICON icon);
    void UpdateTip();
    void Remove();
    // The taskbar came, or the shell restarted and forgot every icon: ours goes back.
    void TaskbarCreated();
    // A mouse or keyboard action on the icon, as kTrayCallbackMessage reports it.
    void HandleMessage(UINT mouseMessage);
    void ShowMenu();

    // True from Add until Remove, whether or not the shell took the icon.
    bool wanted() const { return wanted_; }
    // True while the last add of the icon succeeded.
    bool shown() const { return shown_; }

private:
    TrayIconData Data() const;

    TrayIconService& tray_;
    Hooks hooks_;
    HWND window_ = nullptr;
    HICON icon_ = nullptr;
    bool wanted_ = false;
    bool shown_ = false;
    bool menuOpen_ = false;
};

}  // namespace zarvio
