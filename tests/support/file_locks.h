// A file held open by "another program" in the ways programs hold files, so tests can see what
// the program does when it cannot read, write or replace one. The handle closes when it goes.
// (Byte-range locks are left out: Wine does not enforce them on reading.)
#pragma once
#include <windows.h>

#include <string>

#include "platform/handles.h"

namespace zarvio::test {

// Opens an existing file with the access and the sharing that the other program grants.
inline FileHandle HoldFile(const std::wstring& path, DWORD access, DWORD share) {
    return FileHandle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Without any sharing, as a program writing the file would hold it.
inline FileHandle HoldExclusively(const std::wstring& path) {
    return HoldFile(path, GENERIC_READ | GENERIC_WRITE, 0);
}

// Open for reading, sharing only writing: we may append to it but neither read nor replace it, as
// a logging program that keeps its file open may leave it.
inline FileHandle HoldAgainstReading(const std::wstring& path) {
    return HoldFile(path, GENERIC_READ, FILE_SHARE_WRITE);
}

// Open for writing, sharing writing and deletion: we cannot read it, but it can still be replaced.
inline FileHandle HoldAgainstReadingOnly(const std::wstring& path) {
    return HoldFile(path, GENERIC_WRITE, FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

// Open for reading, sharing reading and writing but not deletion: we can read and write it, but a
// new file cannot take its place.
inline FileHandle HoldAgainstReplacing(const std::wstring& path) {
    return HoldFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
}

}  // namespace zarvio::test
