#include "app/main_list.h"

#include "platform/text.h"
#include "stations/station_lines.h"
#include "stations/station_store.h"

namespace zarvio {
namespace {

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
    if (const StationFileBytes file = ReadStationBytes(path); file.outcome == ReadOutcome::Read) {
        const std::string* bytes = &file.bytes;
        const size_t lines = CountStationLines(*bytes);
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

std::wstring FormatListEntry(size_t index, std::wstring_view name) {
    std::wstring entry;
    entry.reserve(name.size() + 12);
    AppendNumberPrefix(entry, index);
    entry += name;
    return entry;
}

// Each line is decoded on its own: a lead byte at the end of a line would otherwise take the CR
// after it as its trail byte and join two lines.
void LoadMainList(HWND list1, HWND list2, const std::wstring& appDir) {
    FillListFromFile(list1, NamesFilePath(appDir), [](std::wstring& entry, size_t index, std::string_view line) {
        AppendNumberPrefix(entry, index);
        AppendFromAnsi(entry, line);
    });
    FillListFromFile(list2, UrlsFilePath(appDir),
                     [](std::wstring& entry, size_t, std::string_view line) { AppendFromAnsi(entry, line); });
}

}  // namespace zarvio
