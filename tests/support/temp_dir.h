// A fresh folder per test, removed with everything in it afterwards.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace zarvio::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& path() const { return path_; }
    // Whether the folder could be made.
    bool ok() const {
        const DWORD a = GetFileAttributesW(path_.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
    // The names of what the folder holds, files and folders, in the order the system lists them.
    std::vector<std::wstring> Names() const;
private:
    std::wstring path_;
};

std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
// Makes path a file of the given size without writing its bytes (sparse where the disk allows).
bool MakeFileOfSize(const std::wstring& path, LONGLONG size);

}  // namespace zarvio::test
