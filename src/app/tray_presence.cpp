#include "app/tray_presence.h"

#include <shellapi.h>

#include <utility>

#include "platform/handles.h"

namespace zarvio {

TrayPresence::TrayPresence(TrayIconService& tray, Hooks hooks) : tray_(tray), hooks_(std::move(hooks)) {}

TrayIconData TrayPresence::Data() const {
    // Version 3 keeps the mouse messages as they were and adds the keyboard's: NIN_KEYSELECT
    // and WM_CONTEXTMENU.
    return TrayIconData{window_, 1, kTrayCallbackMessage, icon_, hooks_.tip(), NOTIFYICON_VERSION};
}

void TrayPresence::Add(HWND window, HICON icon) {
    window_ = window;
    icon_ = icon;
    wanted_ = true;
    shown_ = tray_.Add(Data());
}

void TrayPresence::UpdateTip() {
    if (wanted_) (void)tray_.Modify(Data());
}

void TrayPresence::Remove() {
    if (wanted_) (void)tray_.Remove(Data());
    wanted_ = shown_ = false;
}

void TrayPresence::TaskbarCreated() {
    if (wanted_) shown_ = tray_.Add(Data());
}

void TrayPresence::HandleMessage(UINT mouseMessage) {
    switch (mouseMessage) {
    case WM_LBUTTONDBLCLK:
    case NIN_KEYSELECT:  // Enter or space on the icon
        hooks_.restore();
        break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:  // the menu key or Shift+F10 on the icon
        // The shell may follow a right-click's release with WM_CONTEXTMENU, which then arrives
        // while the menu it opened is still up: one click, one menu.
        if (menuOpen_) break;
        (void)SetForegroundWindow(window_);
        ShowMenu();
        break;
    default:
        break;  // single clicks and movements over the icon do nothing
    }
}

void TrayPresence::ShowMenu() {
    Menu menu(CreatePopupMenu());
    if (!menu) return;
    (void)AppendMenuW(menu.get(), MF_STRING, kMenuPlay, L"播放(&P)");
    (void)AppendMenuW(menu.get(), MF_STRING, kMenuStop, L"停止(&S)");
    (void)AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    (void)AppendMenuW(menu.get(), MF_STRING, kMenuEditor, L"自定义电台(&T)");
    (void)AppendMenuW(menu.get(), MF_STRING, kMenuDirectory, L"搜索电台(&F)...");
    (void)AppendMenuW(menu.get(), MF_STRING, kMenuSettings, L"设置选项(&O)");
    (void)AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    (void)AppendMenuW(menu.get(), MF_STRING, kMenuAbout, L"关于...");
    (void)AppendMenuW(menu.get(), MF_STRING, kMenuExit, L"退出(&E)");
    POINT pt{};
    (void)GetCursorPos(&pt);
    menuOpen_ = true;
    const int command = static_cast<int>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, pt.x, pt.y, 0, window_, nullptr));
    menuOpen_ = false;
    // Without this the menu would not close when the user clicks elsewhere next time.
    (void)PostMessageW(window_, WM_NULL, 0, 0);
    if (command) hooks_.command(command);
}

}  // namespace zarvio
