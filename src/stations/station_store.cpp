#include "stations/station_store.h"

#include <algorithm>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/text.h"
#include "stations/station_lines.h"

namespace zarvio {

std::wstring NamesFilePath(const std::wstring& appDir) { return JoinPath(appDir, kNamesFileName); }
std::wstring UrlsFilePath(const std::wstring& appDir) { return JoinPath(appDir, kUrlsFileName); }

namespace {

size_t CountLines(std::string_view bytes) {
    size_t n = 0;
    ForEachStationLine(bytes, [&n](std::string_view) { ++n; });
    return n;
}

// Appends one line decoded from the ANSI code page. Each line is decoded on its own: a lead byte
// at the end of a line would otherwise take the CR after it as its trail byte and join two lines.
// Bytes the code page does not define become its default character.
void AppendDecoded(std::wstring& out, std::string_view line) {
    // The platform call takes an int length: a line beyond 1 GiB goes in pieces (a double-byte
    // character cut at such a seam decodes as two default characters).
    constexpr size_t kMaxPiece = size_t{1} << 30;
    while (!line.empty()) {
        const std::string_view piece = line.substr(0, std::min(line.size(), kMaxPiece));
        line.remove_prefix(piece.size());
        const int bytes = static_cast<int>(piece.size());
        const size_t base = out.size();
        // ANSI code pages give at most one UTF-16 unit per byte, so one call usually does it.
        out.resize(base + piece.size());
        int n = MultiByteToWideChar(CP_ACP, 0, piece.data(), bytes, out.data() + base, bytes);
        if (n <= 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            n = MultiByteToWideChar(CP_ACP, 0, piece.data(), bytes, nullptr, 0);
            out.resize(base + static_cast<size_t>(std::max(n, 0)));
            if (n > 0) n = MultiByteToWideChar(CP_ACP, 0, piece.data(), bytes, out.data() + base, n);
        }
        out.resize(base + static_cast<size_t>(std::max(n, 0)));
    }
}

// Writes the 1-based number, zero-padded to at least three digits, then " ★ ".
void AppendNumberPrefix(std::wstring& out, size_t index) {
    wchar_t digits[24];
    size_t n = 0;
    for (size_t v = index + 1; v != 0; v /= 10) digits[n++] = static_cast<wchar_t>(L'0' + v % 10);
    while (n < 3) digits[n++] = L'0';
    while (n > 0) out.push_back(digits[--n]);
    out += L" \u2605 ";
}

// Fills a list box with every line of a station file, each shaped by make(entry, index, line)
// into one reused buffer: the list box keeps its own copy, so no line needs a string of its own.
template <typename Make>
void FillListFromFile(HWND list, const std::wstring& path, Make&& make) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    if (const auto bytes = ReadFileBytes(path)) {
        const size_t lines = CountLines(*bytes);
        // Room for every entry: each byte gives at most one character, plus number and star.
        SendMessageW(list, LB_INITSTORAGE, lines, (bytes->size() + lines * 16) * sizeof(wchar_t));
        std::wstring entry;
        size_t index = 0;
        ForEachStationLine(*bytes, [&](std::string_view line) {
            entry.clear();
            make(entry, index++, line);
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
        });
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

}  // namespace

std::vector<std::string> SplitStationLines(std::string_view bytes) {
    std::vector<std::string> lines;
    ForEachStationLine(bytes, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::vector<std::wstring> ReadStationFile(const std::wstring& path) {
    std::vector<std::wstring> out;
    const auto bytes = ReadFileBytes(path);
    if (!bytes) return out;
    out.reserve(CountLines(*bytes));
    ForEachStationLine(*bytes, [&out](std::string_view line) { AppendDecoded(out.emplace_back(), line); });
    return out;
}

namespace {

// Whether nothing at all is at path (not a file, not a folder, nothing we are refused to see).
bool SurelyAbsent(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// What must go before an appended line so that it starts a line of its own. A hand-edited file
// may lack the terminator after its last line (or end in a lone LF, which ends no line); the new
// text would then join that line and the two files would go out of step.
std::string_view LineBreakBefore(const std::string& bytes) {
    if (bytes.empty()) return {};
    const char last = bytes.back();
    if (last == '\r') return {};
    if (last == '\n' && bytes.size() >= 2 && bytes[bytes.size() - 2] == '\r') return {};
    return "\r\n";
}

}  // namespace

bool AppendStation(const std::wstring& appDir, std::wstring_view name, std::wstring_view url) {
    const std::wstring names = NamesFilePath(appDir);
    const std::wstring urls = UrlsFilePath(appDir);
    const auto namesBefore = ReadFileBytes(names);
    const auto urlsBefore = ReadFileBytes(urls);
    // A file that is there but cannot be read can be neither checked for its last line end nor,
    // for the names file, put back as it was if the address then fails: write nothing.
    if ((!namesBefore && !SurelyAbsent(names)) || (!urlsBefore && !SurelyAbsent(urls))) return false;

    std::string nameLine(namesBefore ? LineBreakBefore(*namesBefore) : std::string_view{});
    nameLine += ToAnsi(name);
    nameLine += "\r\n";
    std::string urlLine(urlsBefore ? LineBreakBefore(*urlsBefore) : std::string_view{});
    urlLine += ToAnsi(url);
    urlLine += "\r\n";

    if (!AppendFileBytes(names, nameLine)) return false;
    if (AppendFileBytes(urls, urlLine)) return true;
    // The address could not be stored: take the name back so that the two files stay in step.
    if (namesBefore) WriteFileAtomically(names, *namesBefore);
    else DeleteFileW(names.c_str());
    return false;
}

bool RewriteStationFile(const std::wstring& path, const std::vector<std::wstring>& lines) {
    std::string bytes;
    for (const auto& line : lines) {
        bytes += ToAnsi(line);
        bytes += "\r\n";
    }
    return WriteFileAtomically(path, bytes);
}

bool RemoveStationLine(const std::wstring& path, size_t index) {
    std::string bytes;
    if (FileExists(path)) {
        std::optional<std::string> read = ReadFileBytes(path);
        if (!read) return false;  // present but unreadable: writing would lose it
        bytes = std::move(*read);
    }
    std::string kept;
    kept.reserve(bytes.size() + 2);
    size_t n = 0;
    ForEachStationLine(bytes, [&](std::string_view line) {
        if (n++ == index) return;
        kept.append(line);
        kept += "\r\n";
    });
    return WriteFileAtomically(path, kept);
}

std::wstring FormatListEntry(size_t index, std::wstring_view name) {
    std::wstring entry;
    entry.reserve(name.size() + 12);
    AppendNumberPrefix(entry, index);
    entry += name;
    return entry;
}

void LoadMainList(HWND list1, HWND list2, const std::wstring& appDir) {
    FillListFromFile(list1, NamesFilePath(appDir), [](std::wstring& entry, size_t index, std::string_view line) {
        AppendNumberPrefix(entry, index);
        AppendDecoded(entry, line);
    });
    FillListFromFile(list2, UrlsFilePath(appDir),
                     [](std::wstring& entry, size_t, std::string_view line) { AppendDecoded(entry, line); });
}

}  // namespace zarvio
