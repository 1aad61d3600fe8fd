// Whole-file operations for the program's small data files. Each call opens, uses and closes the file.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zarvio {

// How a read went: a file that is not there is told apart from one that is there but cannot be
// read (a folder, a file another program holds), since only the first may be created anew.
enum class ReadOutcome { Read, Missing, Unreadable, TooLarge };

// Reads the whole file into bytes, unless it holds more than maxBytes: then nothing is read.
ReadOutcome ReadFileUpTo(const std::wstring& path, std::uint64_t maxBytes, std::string& bytes);

// The file's bytes, or nullopt when it is missing, a directory or unreadable.
std::optional<std::string> ReadFileBytes(const std::wstring& path);

// Appends bytes at the end, creating the file when it is absent. Nobody else may write the file
// meanwhile, so two writers never interleave their lines.
bool AppendFileBytes(const std::wstring& path, std::string_view bytes);

// Appends like AppendFileBytes but lets other writers keep the file open, as another running
// copy appending its own record does. Each call is one write at the end of the file, so records
// of two writers follow one another whole.
bool AppendSharedFileBytes(const std::wstring& path, std::string_view bytes);

// Replaces the file's content in one step: the bytes go to a temporary file in the same folder,
// which then takes the old file's place. An existing file is replaced with ReplaceFileW, so its
// attributes, security and creation time carry over to the new content; a file that does not
// exist yet is simply renamed into place. An interruption leaves the old or the new content,
// never a cut file; on failure the temporary file is removed and the old file is kept.
bool WriteFileAtomically(const std::wstring& path, std::string_view bytes);

bool FileExists(const std::wstring& path);

// path + "\" + name, without doubling a separator the directory already ends with.
std::wstring JoinPath(const std::wstring& dir, const std::wstring& name);

// The writes the station files go through, behind an interface: the program's handling of a
// full disk, a locked file or a folder it may not write is one path, whichever write fails.
class FileWriter {
public:
    virtual ~FileWriter() = default;
    [[nodiscard]] virtual bool Append(const std::wstring& path, std::string_view bytes) = 0;   // AppendFileBytes
    [[nodiscard]] virtual bool Replace(const std::wstring& path, std::string_view bytes) = 0;  // WriteFileAtomically
    [[nodiscard]] virtual bool Remove(const std::wstring& path) = 0;                           // DeleteFileW
};

// The writer that does the real thing; it keeps no state.
FileWriter& SystemFileWriter();

}  // namespace zarvio
