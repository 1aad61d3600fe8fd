// Addresses inside playlists are often relative ("seg42.ts", "../key.bin", "/live/hi.m3u8"):
// they are resolved against the address the playlist came from, after redirects (RFC 3986
// section 5). Narrow strings, UTF-8 or ASCII; the engine converts to and from wide strings.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace zarvio::stream {

// The five components of an address (RFC 3986 section 3). A component that is absent is
// nullopt, which differs from present but empty ("http://h/p?" has an empty query).
struct UrlParts {
    std::optional<std::string_view> scheme;     // without ':'
    std::optional<std::string_view> authority;  // without "//"
    std::string_view path;                      // may be empty
    std::optional<std::string_view> query;      // without '?'
    std::optional<std::string_view> fragment;   // without '#'
};

// Splits any string into the components (the regular expression of RFC 3986 appendix B, with
// the scheme checked for its allowed characters: "c:\x" has scheme "c", "1a:b" has none).
// The views point into url.
UrlParts SplitUrl(std::string_view url);

// Puts the components back together (RFC 3986 section 5.3).
std::string JoinUrl(const UrlParts& parts);

// Removes "." and ".." segments from a path (RFC 3986 section 5.2.4).
std::string RemoveDotSegments(std::string_view path);

// The target address of reference seen from base (RFC 3986 section 5.2.2, strict: a reference
// with its own scheme keeps it, "http:g" stays "http:g"). Base should be absolute; the
// fragment of base is never inherited.
std::string ResolveUrl(std::string_view base, std::string_view reference);

}  // namespace zarvio::stream
