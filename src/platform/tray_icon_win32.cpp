#include "platform/tray_icon.h"

#include <shellapi.h>

namespace zarvio {
namespace {

NOTIFYICONDATAW MakeRecord(const TrayIconSpec& spec) {
    NOTIFYICONDATAW nid{};  // zero-initialised: every field we do not set must be 0
    nid.cbSize = sizeof(nid);
    nid.hWnd = spec.window;
    nid.uID = spec.id;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = spec.callbackMessage;
    nid.hIcon = spec.icon;
    lstrcpynW(nid.szTip, spec.tip.c_str(), ARRAYSIZE(nid.szTip));
    return nid;
}

}  // namespace

bool Win32TrayIcon::Add(const TrayIconSpec& spec) {
    NOTIFYICONDATAW nid = MakeRecord(spec);
    if (!Shell_NotifyIconW(NIM_ADD, &nid)) return false;
    // The shell forgets the version with the icon, so every add declares it again.
    if (spec.version != 0) {
        nid.uVersion = spec.version;
        Shell_NotifyIconW(NIM_SETVERSION, &nid);  // an older shell keeps its default messages
    }
    return true;
}

bool Win32TrayIcon::Modify(const TrayIconSpec& spec) {
    NOTIFYICONDATAW nid = MakeRecord(spec);
    return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

bool Win32TrayIcon::Remove(const TrayIconSpec& spec) {
    NOTIFYICONDATAW nid = MakeRecord(spec);
    return Shell_NotifyIconW(NIM_DELETE, &nid) != FALSE;
}

}  // namespace zarvio
