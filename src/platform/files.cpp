#include "platform/files.h"

#include <windows.h>

#include "platform/handles.h"

namespace zarvio {
namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

}  // namespace

ReadOutcome ReadFileUpTo(const std::wstring& path, std::uint64_t maxBytes, std::string& bytes) {
    bytes.clear();
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadOutcome::Missing
                                                                              : ReadOutcome::Unreadable;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return ReadOutcome::Unreadable;
    if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) return ReadOutcome::TooLarge;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        if (!ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr)) {
            bytes.clear();
            return ReadOutcome::Unreadable;
        }
        if (got == 0) break;  // the file shrank while we read it
        done += got;
    }
    bytes.resize(done);
    return ReadOutcome::Read;
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    if (ReadFileUpTo(path, UINT64_MAX, bytes) != ReadOutcome::Read) return std::nullopt;
    return bytes;
}

namespace {

bool Append(const std::wstring& path, std::string_view bytes, DWORD sharing) {
    FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, sharing, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    return WriteAll(file.get(), bytes);
}

}  // namespace

bool AppendFileBytes(const std::wstring& path, std::string_view bytes) {
    return Append(path, bytes, FILE_SHARE_READ);
}

bool AppendSharedFileBytes(const std::wstring& path, std::string_view bytes) {
    return Append(path, bytes, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

bool WriteFileAtomically(const std::wstring& path, std::string_view bytes) {
    const std::wstring temp = path + L".new~";
    // The new content takes over the old file's attributes and creation time from the start.
    // ReplaceFileW carries them on Windows anyway; Wine's ReplaceFileW only renames, and a
    // station file the user hid would come back visible.
    WIN32_FILE_ATTRIBUTE_DATA old{};
    const bool replacing = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &old) &&
                           !(old.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    constexpr DWORD kCarried = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                               FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = replacing && (old.dwFileAttributes & kCarried) ? old.dwFileAttributes & kCarried
                                                                            : FILE_ATTRIBUTE_NORMAL;
    {
        FileHandle file(CreateFileW(temp.c_str(), GENERIC_WRITE | FILE_WRITE_ATTRIBUTES, 0, nullptr, CREATE_ALWAYS,
                                    attributes, nullptr));
        if (!file) return false;
        if (!WriteAll(file.get(), bytes) || !FlushFileBuffers(file.get())) {
            file.reset();
            DeleteFileW(temp.c_str());
            return false;
        }
        if (replacing) SetFileTime(file.get(), &old.ftCreationTime, nullptr, nullptr);
    }
    if (!replacing) {
        // Nothing to keep the attributes of: the new file takes the name.
        if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            DeleteFileW(temp.c_str());
            return false;
        }
        return true;
    }
    // The old file steps aside to a backup name while the new one takes its place.
    const std::wstring backup = path + L".old~";
    if (ReplaceFileW(path.c_str(), temp.c_str(), backup.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                     nullptr)) {
        DeleteFileW(backup.c_str());
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
        // The new file could not take the name after the old one had left it: put the old one
        // back, so the file never vanishes.
        if (!FileExists(path) && FileExists(backup)) MoveFileExW(backup.c_str(), path.c_str(), MOVEFILE_WRITE_THROUGH);
    }
    DeleteFileW(temp.c_str());
    if (FileExists(path)) DeleteFileW(backup.c_str());
    return false;
}

bool FileExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring JoinPath(const std::wstring& dir, const std::wstring& name) {
    if (!dir.empty() && (dir.back() == L'\\' || dir.back() == L'/')) return dir + name;
    return dir + L"\\" + name;
}

namespace {

class SystemWriter final : public FileWriter {
public:
    bool Append(const std::wstring& path, std::string_view bytes) override { return AppendFileBytes(path, bytes); }
    bool Replace(const std::wstring& path, std::string_view bytes) override {
        return WriteFileAtomically(path, bytes);
    }
    bool Remove(const std::wstring& path) override { return DeleteFileW(path.c_str()) != FALSE; }
};

}  // namespace

FileWriter& SystemFileWriter() {
    static SystemWriter writer;  // stateless: every call goes straight to the file system
    return writer;
}

}  // namespace zarvio
