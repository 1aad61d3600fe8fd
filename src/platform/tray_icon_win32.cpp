#include "platform/tray_icon.h"

#include <shellapi.h>

namespace zarvio {
namespace {

NOTIFYICONDATAW MakeRecord(const TrayIconData& icon) {
    NOTIFYICONDATAW nid{};  // zero-initialised: every field we do not set must be 0
    nid.cbSize = sizeof(nid);
    nid.hWnd = icon.window;
    nid.uID = icon.id;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = icon.callbackMessage;
    nid.hIcon = icon.icon;
    lstrcpynW(nid.szTip, icon.tip.c_str(), ARRAYSIZE(nid.szTip));
    return nid;
}

}  // namespace

bool Win32TrayIcon::Add(const TrayIconData& icon) {
    NOTIFYICONDATAW nid = MakeRecord(icon);
    if (!Shell_NotifyIconW(NIM_ADD, &nid)) return false;
    // The shell forgets the version with the icon, so every add declares it again.
    if (icon.version != 0) {
        nid.uVersion = icon.version;
        (void)Shell_NotifyIconW(NIM_SETVERSION, &nid);  // an older shell keeps its default messages
    }
    return true;
}

bool Win32TrayIcon::Modify(const TrayIconData& icon) {
    NOTIFYICONDATAW nid = MakeRecord(icon);
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

bool Win32TrayIcon::Remove(const TrayIconData& icon) {
    NOTIFYICONDATAW nid = MakeRecord(icon);
    return Shell_NotifyIconW(NIM_DELETE, &nid) != FALSE;
}

}  // namespace zarvio
