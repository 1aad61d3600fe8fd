// What the program asks the station directory and where: the request paths of a search, of the
// country list and of the click call, the order of the directory's servers, and the addresses
// taken into the station files. Narrow strings are UTF-8.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarvio::directory {

inline constexpr int kPageSize = 100;
// Where the directory's servers are listed, and the name that reaches one of them when the
// list cannot be had.
inline constexpr wchar_t kServersSrvName[] = L"_api._tcp.radio-browser.info";
inline constexpr char kFallbackServer[] = "https://all.api.radio-browser.info";
// Next to the program: names the servers to use instead ("server=http://127.0.0.1:8080", one
// line each, tried in order), for a mirror of one's own and for the tests.
inline constexpr wchar_t kServersFileName[] = L"directory.ini";

struct SearchQuery {
    std::string name, country, tag;  // empty: not asked for
    int offset = 0;                  // the first result wanted, for the next page
};

// Most popular first, broken stations left out, one page.
std::string StationSearchPath(const SearchQuery& query);
std::string CountriesPath();
// The documented click call: the directory counts a play of the station.
std::string ClickPath(std::string_view stationUuid);

// Every byte but the unreserved characters of RFC 3986 as %XX, for a query value or a path
// segment.
std::string EncodeComponent(std::string_view text);

// An address as the station files keep it: bytes outside printable ASCII (UTF-8 of other
// scripts, blanks, control characters) as %XX, everything else as it was.
std::string EncodeAddress(std::string_view address);

// The servers a directory.ini names, in its order: the values of its "server=" lines that are
// http or https addresses, without a final "/".
std::vector<std::string> ServersOfIni(std::string_view iniText);

// The base addresses to try, in order: each host of the SRV answer over https in a random order
// (seed), then the fallback name.
std::vector<std::string> ServerOrder(const std::vector<std::string>& srvHosts, uint32_t seed);

}  // namespace zarvio::directory
