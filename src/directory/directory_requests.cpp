#include "directory/directory_requests.h"

#include <algorithm>
#include <random>

namespace zarvio::directory {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char c) {
    out.push_back('%');
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 0xF]);
}

bool Unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

void AddParameter(std::string& path, const char* key, std::string_view value) {
    path += path.find('?') == std::string::npos ? '?' : '&';
    path += key;
    path += '=';
    path += EncodeComponent(value);
}

std::string_view TrimBlanks(std::string_view s) {
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string_view::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace

std::string EncodeComponent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (Unreserved(c)) out.push_back(ch);
        else AppendEscaped(out, c);
    }
    return out;
}

std::string EncodeAddress(std::string_view address) {
    std::string out;
    out.reserve(address.size());
    for (const char ch : address) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F) AppendEscaped(out, c);
        else out.push_back(ch);
    }
    return out;
}

std::string StationSearchPath(const SearchQuery& query) {
    std::string path = "/json/stations/search";
    if (!query.name.empty()) AddParameter(path, "name", query.name);
    if (!query.country.empty()) AddParameter(path, "country", query.country);
    if (!query.tag.empty()) AddParameter(path, "tag", query.tag);
    AddParameter(path, "order", "clickcount");
    AddParameter(path, "reverse", "true");
    AddParameter(path, "hidebroken", "true");
    AddParameter(path, "limit", std::to_string(kPageSize));
    AddParameter(path, "offset", std::to_string(std::max(query.offset, 0)));
    return path;
}

std::string CountriesPath() { return "/json/countries?order=name&hidebroken=true"; }

std::string ClickPath(std::string_view stationUuid) { return "/json/url/" + EncodeComponent(stationUuid); }

std::vector<std::string> ServersOfIni(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string> servers;
    while (!text.empty()) {
        const size_t end = text.find_first_of("\r\n");
        const std::string_view line = TrimBlanks(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos || Lower(TrimBlanks(line.substr(0, eq))) != "server") continue;
        std::string value(TrimBlanks(line.substr(eq + 1)));
        const std::string scheme = Lower(value.substr(0, 8));
        if (scheme.rfind("http://", 0) != 0 && scheme.rfind("https://", 0) != 0) continue;
        while (!value.empty() && value.back() == '/') value.pop_back();
        servers.push_back(value);
    }
    return servers;
}

std::vector<std::string> ServerOrder(const std::vector<std::string>& srvHosts, uint32_t seed) {
    std::vector<std::string> servers;
    for (const std::string& host : srvHosts) {
        std::string name = Lower(TrimBlanks(host));
        while (!name.empty() && name.back() == '.') name.pop_back();  // the DNS root
        // A host name and nothing else: an answer cannot smuggle a path or a port in.
        const bool plain = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        });
        if (!plain) continue;
        std::string base = "https://" + name;
        if (std::find(servers.begin(), servers.end(), base) == servers.end()) servers.push_back(base);
    }
    std::mt19937 random(seed);
    std::shuffle(servers.begin(), servers.end(), random);
    if (std::find(servers.begin(), servers.end(), kFallbackServer) == servers.end()) servers.push_back(kFallbackServer);
    return servers;
}

}  // namespace zarvio::directory
