// A fresh empty folder under %TEMP% for one test, removed with everything in it afterwards.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "platform/files.h"

namespace zarvio {

class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH, base);
        static unsigned counter = 0;
        for (;;) {
            path_ = JoinPath(base, L"zarvio-player-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(++counter));
            if (CreateDirectoryW(path_.c_str(), nullptr)) break;
            if (GetLastError() != ERROR_ALREADY_EXISTS) { path_.clear(); break; }
        }
    }
    ~TempFolder() {
        if (path_.empty()) return;
        for (const auto& name : Names()) DeleteFileW(JoinPath(path_, name).c_str());
        RemoveDirectoryW(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return JoinPath(path_, name); }

    // The names of the files in the folder.
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found{};
        HANDLE find = FindFirstFileW(JoinPath(path_, L"*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            const std::wstring n = found.cFileName;
            if (n != L"." && n != L"..") names.push_back(n);
        } while (FindNextFileW(find, &found));
        FindClose(find);
        return names;
    }

private:
    std::wstring path_;
};

}  // namespace zarvio
