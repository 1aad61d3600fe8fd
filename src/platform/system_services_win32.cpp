#include "platform/system_services.h"

#include <vector>

#include "platform/files.h"

namespace zarvio {

bool Win32Instance::AnotherCopyRunning() {
    if (!mutex_) {
        mutex_.reset(CreateMutexW(nullptr, FALSE, name_.c_str()));
        return mutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
    }
    return false;
}

std::wstring SystemFolder() {
    const UINT n = GetSystemDirectoryW(nullptr, 0);
    if (n == 0) return {};
    std::wstring folder(n, L'\0');
    const UINT got = GetSystemDirectoryW(folder.data(), n);
    folder.resize(got < n ? got : 0);
    return folder;
}

std::wstring BrowserCommandLine(const std::wstring& rundll32, const std::wstring& url) {
    return L"\"" + rundll32 + L"\" url.dll,FileProtocolHandler \"" + url + L"\"";
}

void Win32Browser::Open(const std::wstring& url) {
    const std::wstring folder = systemFolder_.empty() ? SystemFolder() : systemFolder_;
    if (folder.empty()) return;  // no system folder, no rundll32 we could trust
    const std::wstring rundll32 = JoinPath(folder, L"rundll32.exe");
    std::wstring cmd = BrowserCommandLine(rundll32, url);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(rundll32.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

namespace {

std::wstring ExecutablePath() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) break;
        buf.resize(buf.size() * 2);  // long paths
    }
    return std::wstring(buf.data());
}

}  // namespace

std::wstring ExecutableDirectory() {
    const std::wstring path = ExecutablePath();
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return L".";
    // "C:\zarvio.exe" lies in "C:\", not in "C:".
    if (slash == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, slash);
}

std::wstring ExecutableBaseName() {
    const std::wstring path = ExecutablePath();
    const size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.resize(dot);
    return name;
}

}  // namespace zarvio
