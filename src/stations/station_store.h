// The station store: two parallel line files in the application directory, the names in
// "zarvtai.mdb" and the stream addresses in "zarvlist.dll"; line i of each is station i.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace zarvio {

inline constexpr wchar_t kNamesFileName[] = L"zarvtai.mdb";
inline constexpr wchar_t kUrlsFileName[] = L"zarvlist.dll";

std::wstring NamesFilePath(const std::wstring& appDir);
std::wstring UrlsFilePath(const std::wstring& appDir);

// Splits raw file bytes into lines: CR LF and a lone CR end a line, a lone LF stays in the
// text, the last line may lack its terminator and a final terminator adds no empty line.
std::vector<std::string> SplitStationLines(std::string_view bytes);

// The file's lines decoded from the ANSI code page. A missing or unreadable file has no lines.
std::vector<std::wstring> ReadStationFile(const std::wstring& path);

// Adds one station at the end of both files (names file first), creating them when absent.
// Returns false when either write failed.
bool AppendStation(const std::wstring& appDir, std::wstring_view name, std::wstring_view url);

// Replaces the whole file with the given lines, each followed by CR LF, in one atomic step.
bool RewriteStationFile(const std::wstring& path, const std::vector<std::wstring>& lines);

// Removes line index from the file and writes the rest back in one atomic step, each line
// followed by CR LF. The other lines keep their exact bytes, also bytes the code page does not
// define and NULs, which a round trip through text would lose. An index past the last line
// rewrites the lines unchanged. False when the file cannot be read or written.
bool RemoveStationLine(const std::wstring& path, size_t index);

// "001 ★ name": the 1-based number zero-padded to at least three digits, never truncated.
std::wstring FormatListEntry(size_t index, std::wstring_view name);

// Refills the main window's visible list with numbered names and its hidden list with the raw
// addresses, index for index.
void LoadMainList(HWND list1, HWND list2, const std::wstring& appDir);

}  // namespace zarvio
