#include "platform/system_services.h"

#include <vector>

namespace zarvio {

bool Win32Instance::AnotherCopyRunning() {
    if (!mutex_) {
        mutex_.reset(CreateMutexW(nullptr, FALSE, name_.c_str()));
        return mutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
    }
    return false;
}

std::wstring BrowserCommandLine(const std::wstring& url) {
    return L"rundll32.exe url.dll,FileProtocolHandler \"" + url + L"\"";
}

void Win32Browser::Open(const std::wstring& url) {
    std::wstring cmd = BrowserCommandLine(url);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

std::wstring ExecutableDirectory() {
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return L".";
        if (n < buf.size()) break;
        buf.resize(buf.size() * 2);  // long paths
    }
    std::wstring path(buf.data());
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

}  // namespace zarvio
