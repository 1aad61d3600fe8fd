// The station store: two parallel line files in the application directory, the names in
// "zarvtai.mdb" and the stream addresses in "zarvlist.dll"; line i of each is station i.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace zarvio {

inline constexpr wchar_t kNamesFileName[] = L"zarvtai.mdb";
inline constexpr wchar_t kUrlsFileName[] = L"zarvlist.dll";

std::wstring NamesFilePath(const std::wstring& appDir);
std::wstring UrlsFilePath(const std::wstring& appDir);

// Splits raw file bytes into lines: CR LF and a lone CR end a line, a lone LF stays in the
// text, the last line may lack its terminator and a final terminator adds no empty line.
std::vector<std::string> SplitStationLines(std::string_view bytes);

// A station file larger than this is not read at all: it is no list of stations, and reading it
// would take the memory of the whole program.
inline constexpr std::uint64_t kMaxStationFileBytes = std::uint64_t{256} << 20;

// A station file's bytes as read (empty unless outcome is Read), at most kMaxStationFileBytes.
struct StationFileBytes {
    ReadOutcome outcome = ReadOutcome::Missing;
    std::string bytes;
};
StationFileBytes ReadStationBytes(const std::wstring& path);

// One line's bytes decoded from the ANSI code page; bytes it does not define become its default
// character.
std::wstring DecodeStationLine(std::string_view line);

// The file's lines decoded from the ANSI code page. A missing, unreadable or oversized file has
// no lines.
std::vector<std::wstring> ReadStationFile(const std::wstring& path);

// Whether a text can be one line of a station file: it holds neither CR nor LF.
bool FitsOnOneLine(std::wstring_view text);

// What a change of the two station files came to.
enum class StationChange {
    Done,        // made (or, for a line past the end, nothing was there to remove)
    LineBreak,   // a name or address holds CR or LF: nothing written
    TooLarge,    // a station file is over kMaxStationFileBytes: nothing read or written
    Unreadable,  // a station file is there but cannot be read: nothing written
    Changed,     // the file no longer holds the line that was shown: nothing written
    NotWritten,  // a write failed; whatever had been written was taken back
    OutOfStep,   // a write failed and so did taking back the other file: they may not pair up
};

// Adds one station at the end of both files (names file first), creating them when absent.
// When the address cannot be stored the name is taken back.
StationChange AppendStation(FileWriter& files, const std::wstring& appDir, std::wstring_view name,
                            std::wstring_view url);

// Checks that line index of the file still has exactly the bytes seen, or, for seen = nullopt,
// that the file has no such line (as the preview had none). Reads, writes nothing.
StationChange CheckSeenLine(const std::wstring& path, size_t index, const std::optional<std::string>& seen);

// Reads the file again and, when CheckSeenLine holds, removes line index in one step; the other
// lines keep their bytes. With seen = nullopt nothing is written. before receives the bytes the
// file held, for taking the removal back.
StationChange RemoveSeenLine(FileWriter& files, const std::wstring& path, size_t index,
                             const std::optional<std::string>& seen, std::string* before = nullptr);

// Removes line index from the file and writes the rest back in one atomic step, each line
// followed by CR LF. The other lines keep their exact bytes, also bytes the code page does not
// define and NULs, which a round trip through text would lose. An index past the last line
// rewrites the lines unchanged. False when the file cannot be read or written.
bool RemoveStationLine(const std::wstring& path, size_t index);

}  // namespace zarvio
