#include "stations/station_store.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/text.h"

namespace zarvio {

std::wstring NamesFilePath(const std::wstring& appDir) { return JoinPath(appDir, kNamesFileName); }
std::wstring UrlsFilePath(const std::wstring& appDir) { return JoinPath(appDir, kUrlsFileName); }

std::vector<std::string> SplitStationLines(std::string_view bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    // CR never occurs inside a double-byte character of the ANSI code pages (their trail bytes
    // start at 0x40), so splitting the raw bytes is safe.
    while (i < bytes.size()) {
        if (bytes[i] == '\r') {
            lines.emplace_back(bytes.substr(start, i - start));
            ++i;
            if (i < bytes.size() && bytes[i] == '\n') ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
    return lines;
}

std::vector<std::wstring> ReadStationFile(const std::wstring& path) {
    std::vector<std::wstring> out;
    const auto bytes = ReadFileBytes(path);
    if (!bytes) return out;
    auto raw = SplitStationLines(*bytes);
    out.reserve(raw.size());
    for (const auto& line : raw) out.push_back(FromAnsi(line));
    return out;
}

bool AppendStation(const std::wstring& appDir, std::wstring_view name, std::wstring_view url) {
    const std::wstring names = NamesFilePath(appDir);
    const auto before = ReadFileBytes(names);
    if (!AppendFileBytes(names, ToAnsi(name) + "\r\n")) return false;
    if (AppendFileBytes(UrlsFilePath(appDir), ToAnsi(url) + "\r\n")) return true;
    // The address could not be stored: take the name back so that the two files stay in step.
    if (before) WriteFileAtomically(names, *before);
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

std::wstring FormatListEntry(size_t index, std::wstring_view name) {
    wchar_t number[32];
    std::swprintf(number, 32, L"%03zu", index + 1);
    std::wstring entry(number);
    entry += L" \u2605 ";
    entry += name;
    return entry;
}

namespace {

void FillList(HWND list, const std::vector<std::wstring>& items) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    size_t bytes = 0;
    for (const auto& s : items) bytes += (s.size() + 1) * sizeof(wchar_t);
    SendMessageW(list, LB_INITSTORAGE, items.size(), bytes);
    for (const auto& s : items) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

}  // namespace

void LoadMainList(HWND list1, HWND list2, const std::wstring& appDir) {
    auto names = ReadStationFile(NamesFilePath(appDir));
    for (size_t i = 0; i < names.size(); ++i) names[i] = FormatListEntry(i, names[i]);
    FillList(list1, names);
    FillList(list2, ReadStationFile(UrlsFilePath(appDir)));
}

}  // namespace zarvio
