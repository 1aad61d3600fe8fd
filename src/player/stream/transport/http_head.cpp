#include "player/stream/transport/http_head.h"

#include <limits>

#include "player/stream/base/ascii.h"

namespace zarvio::stream {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "HTTP/1.1 200 OK" or "ICY 200 OK" -> 200.
std::optional<int> StatusOf(std::string_view line) {
    std::string_view rest;
    if (StartsWithNoCase(line, "ICY ")) {
        rest = line.substr(4);
    } else if (StartsWithNoCase(line, "HTTP/1.") && line.size() > 8 && IsDigit(line[7]) && line[8] == ' ') {
        rest = line.substr(9);
    } else {
        return std::nullopt;
    }
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    if (rest.size() < 3 || !IsDigit(rest[0]) || !IsDigit(rest[1]) || !IsDigit(rest[2])) return std::nullopt;
    if (rest.size() > 3 && rest[3] != ' ') return std::nullopt;
    const int status = (rest[0] - '0') * 100 + (rest[1] - '0') * 10 + (rest[2] - '0');
    if (status < 100) return std::nullopt;
    return status;
}

}  // namespace

std::optional<std::string> HttpHead::Find(std::string_view name) const {
    const std::string wanted = LowerAscii(name);
    for (const auto& [n, v] : headers)
        if (n == wanted) return v;
    return std::nullopt;
}

std::optional<size_t> EndOfHead(std::string_view received) {
    const size_t crlf = received.find("\r\n\r\n");
    const size_t lf = received.find("\n\n");
    if (crlf == std::string_view::npos && lf == std::string_view::npos) return std::nullopt;
    if (lf != std::string_view::npos && (crlf == std::string_view::npos || lf < crlf)) return lf + 2;
    return crlf + 4;
}

std::optional<HttpHead> ParseHttpHead(std::string_view head) {
    HttpHead out;
    bool first = true;
    while (!head.empty()) {
        const size_t eol = head.find('\n');
        std::string_view line = head.substr(0, eol);
        head = eol == std::string_view::npos ? std::string_view() : head.substr(eol + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (first) {
            const auto status = StatusOf(line);
            if (!status) return std::nullopt;
            out.status = *status;
            first = false;
            continue;
        }
        if (line.empty()) break;  // the blank line: nothing after it belongs to the head
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0) continue;  // a stray line: skipped
        out.headers.emplace_back(LowerAscii(TrimAscii(line.substr(0, colon))),
                                 std::string(TrimAscii(line.substr(colon + 1))));
    }
    if (first) return std::nullopt;
    return out;
}

std::string MediaTypeOf(std::string_view contentType) {
    return LowerAscii(TrimAscii(contentType.substr(0, contentType.find(';'))));
}

std::optional<uint64_t> ParseDecimal(std::string_view text) {
    text = TrimAscii(text);
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        const uint64_t digit = static_cast<uint64_t>(c - '0');
        if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<PlainHttpAddress> ParsePlainHttpAddress(std::string_view url) {
    if (!StartsWithNoCase(url, "http://")) return std::nullopt;
    std::string_view rest = url.substr(7);
    rest = rest.substr(0, rest.find('#'));
    const size_t slash = rest.find_first_of("/?");
    std::string_view authority = rest.substr(0, slash);
    PlainHttpAddress out;
    out.target = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
    if (out.target.front() == '?') out.target.insert(out.target.begin(), '/');
    if (authority.find('@') != std::string_view::npos) return std::nullopt;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        out.host = std::string(authority.substr(1, close - 1));
        std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') return std::nullopt;
            port = after.substr(1);
        }
    } else {
        const size_t colon = authority.find(':');
        out.host = std::string(authority.substr(0, colon));
        if (colon != std::string_view::npos) port = authority.substr(colon + 1);
    }
    if (out.host.empty()) return std::nullopt;
    if (!port.empty()) {
        const auto value = ParseDecimal(port);
        if (!value || *value == 0 || *value > 65535 || port.size() > 5) return std::nullopt;
        out.port = static_cast<uint16_t>(*value);
    }
    return out;
}

bool IsPlainHttpUrl(std::wstring_view url) {
    constexpr std::wstring_view kScheme = L"http://";
    if (url.size() < kScheme.size()) return false;
    for (size_t i = 0; i < kScheme.size(); ++i) {
        wchar_t c = url[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != kScheme[i]) return false;
    }
    return true;
}

}  // namespace zarvio::stream
