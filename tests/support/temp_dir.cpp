#include "support/temp_dir.h"

#include <shellapi.h>

#include <atomic>

#include "platform/files.h"
#include "platform/handles.h"

namespace zarvio::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    // A folder left by an earlier process of the same id (Wine hands ids out again) is not ours:
    // take the next number.
    do {
        path_ = std::wstring(base) + L"zarvio-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter++);
    } while (!CreateDirectoryW(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

std::vector<std::wstring> TempDir::Names() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW((path_ + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

TempDir::~TempDir() {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path_ + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = path_ + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryW(full.c_str());
            else DeleteFileW(full.c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path_.c_str());
}

std::string ReadBytes(const std::wstring& path) {
    return ReadFileBytes(path).value_or(std::string());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

bool MakeFileOfSize(const std::wstring& path, LONGLONG size) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER at{};
    at.QuadPart = size;
    return SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
}

}  // namespace zarvio::test
