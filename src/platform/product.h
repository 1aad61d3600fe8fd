// The product's name, version and fixed texts shown in several windows.
#pragma once
#include <string>

#include "platform/version.h"

namespace zarvio {

inline constexpr wchar_t kProductName[] = L"Zarvio";
inline constexpr int kVersionMajor = ZARVIO_VERSION_MAJOR;
inline constexpr int kVersionMinor = ZARVIO_VERSION_MINOR;
inline constexpr int kVersionRevision = ZARVIO_VERSION_PATCH;

inline std::wstring VersionText() {
    return std::to_wstring(kVersionMajor) + L"." + std::to_wstring(kVersionMinor) + L"." +
           std::to_wstring(kVersionRevision);
}
inline std::wstring MainWindowTitle() { return std::wstring(kProductName) + L"正式版 V" + VersionText(); }
inline std::wstring TrayTipText() { return std::wstring(kProductName) + L"  版本V" + VersionText(); }

inline constexpr wchar_t kWelcomeText[] = L"欢迎使用〖Zarvio〗";
inline constexpr wchar_t kAnotherCopyText[] = L"程序已运行中……是否继续？";
inline constexpr wchar_t kAnotherCopyTitle[] = L"提示";
// Yes/No, information icon, No preselected.
inline constexpr unsigned kAnotherCopyStyle = 324;
inline constexpr wchar_t kForumThreadUrl[] =
    L"https://forum.zarvio.example/forum.php?mod=viewthread&tid=16&extra=page%3D1";

}  // namespace zarvio
