#include "platform/text.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

namespace zarvio {

void AppendFromAnsi(std::wstring& out, std::string_view bytes) {
    // Without MB_ERR_INVALID_CHARS, invalid bytes turn into the code page's default character
    // instead of failing the whole conversion. The platform call takes an int length: text beyond
    // 1 GiB goes in pieces (a double-byte character cut at such a seam decodes as two default
    // characters).
    constexpr size_t kMaxPiece = size_t{1} << 30;
    while (!bytes.empty()) {
        const std::string_view piece = bytes.substr(0, std::min(bytes.size(), kMaxPiece));
        bytes.remove_prefix(piece.size());
        const int size = static_cast<int>(piece.size());
        const size_t base = out.size();
        // ANSI code pages give at most one UTF-16 unit per byte, so one call usually does it.
        out.resize(base + piece.size());
        int n = MultiByteToWideChar(CP_ACP, 0, piece.data(), size, out.data() + base, size);
        if (n <= 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
            n = MultiByteToWideChar(CP_ACP, 0, piece.data(), size, nullptr, 0);
            out.resize(base + static_cast<size_t>(std::max(n, 0)));
            if (n > 0) n = MultiByteToWideChar(CP_ACP, 0, piece.data(), size, out.data() + base, n);
        }
        out.resize(base + static_cast<size_t>(std::max(n, 0)));
    }
}

std::wstring FromAnsi(std::string_view bytes) {
    std::wstring out;
    AppendFromAnsi(out, bytes);
    return out;
}

std::wstring FromUtf8(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, out.data(), n);
    return out;
}

std::string ToUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

bool CanEncodeAnsi(std::wstring_view text) {
    if (text.empty()) return true;
    // The round trip is the dependable test: best-fit mappings change the text without
    // always raising the "default character used" flag.
    return FromAnsi(ToAnsi(text)) == text;
}

std::wstring ToLower(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out) c = static_cast<wchar_t>(std::towlower(c));
    return out;
}

std::wstring ToUpper(std::wstring_view text) {
    std::wstring out(text);
    if (!out.empty()) CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

std::wstring Trim(std::wstring_view text) {
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == L' ' || text[b] == L'\t')) ++b;
    while (e > b && (text[e - 1] == L' ' || text[e - 1] == L'\t')) --e;
    return std::wstring(text.substr(b, e - b));
}

}  // namespace zarvio
