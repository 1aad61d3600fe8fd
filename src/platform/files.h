// Whole-file operations for the program's small data files. Each call opens, uses and closes the file.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zarvio {

// The file's bytes, or nullopt when it is missing, a directory or unreadable.
std::optional<std::string> ReadFileBytes(const std::wstring& path);

// Appends bytes at the end, creating the file when it is absent.
bool AppendFileBytes(const std::wstring& path, std::string_view bytes);

// Replaces the file's content in one step: the bytes go to a temporary file in the same folder,
// which then takes the old file's place. An interruption leaves the old or the new content,
// never a cut file; on failure the temporary file is removed and the old file is untouched.
bool WriteFileAtomically(const std::wstring& path, std::string_view bytes);

bool FileExists(const std::wstring& path);

// path + "\" + name, without doubling a separator the directory already ends with.
std::wstring JoinPath(const std::wstring& dir, const std::wstring& name);

}  // namespace zarvio
