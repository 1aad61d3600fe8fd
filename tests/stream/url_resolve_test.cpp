#include "player/stream/base/url_resolve.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace zarvio::stream {
namespace {

using Cases = std::vector<std::pair<const char*, const char*>>;

void ExpectResolved(std::string_view base, const Cases& cases) {
    for (const auto& [reference, target] : cases) {
        EXPECT_EQ(ResolveUrl(base, reference), target) << "reference \"" << reference << '"';
    }
}

// The worked examples of RFC 3986 section 5.4 against its base "http://a/b/c/d;p?q".
TEST(UrlResolve, NormalExamples) {
    ExpectResolved("http://a/b/c/d;p?q", {
        {"g:h", "g:h"},                 {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},      {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},           {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},   {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"}, {"g#s", "http://a/b/c/g#s"},
        {"g?y#s", "http://a/b/c/g?y#s"}, {";x", "http://a/b/c/;x"},
        {"g;x", "http://a/b/c/g;x"},    {"g;x?y#s", "http://a/b/c/g;x?y#s"},
        {"", "http://a/b/c/d;p?q"},     {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},        {"..", "http://a/b/"},
        {"../", "http://a/b/"},         {"../g", "http://a/b/g"},
        {"../..", "http://a/"},         {"../../", "http://a/"},
        {"../../g", "http://a/g"},
    });
}

TEST(UrlResolve, AbnormalExamples) {
    ExpectResolved("http://a/b/c/d;p?q", {
        {"../../../g", "http://a/g"},    {"../../../../g", "http://a/g"},
        {"/./g", "http://a/g"},          {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},       {".g", "http://a/b/c/.g"},
        {"g..", "http://a/b/c/g.."},     {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},      {"./g/.", "http://a/b/c/g/"},
        {"g/./h", "http://a/b/c/g/h"},   {"g/../h", "http://a/b/c/h"},
        {"g;x=1/./y", "http://a/b/c/g;x=1/y"}, {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/./x", "http://a/b/c/g?y/./x"},   {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"g#s/./x", "http://a/b/c/g#s/./x"},   {"g#s/../x", "http://a/b/c/g#s/../x"},
        {"http:g", "http:g"},
    });
}

// What playlists do in practice: a base with a query, keys up a folder, a scheme-relative
// entry, a base whose path is only the host, a base fragment that is not inherited.
TEST(UrlResolve, PlaylistAddresses) {
    ExpectResolved("https://cdn.example/live/radio/index.m3u8?token=abc", {
        {"seg_00042.ts", "https://cdn.example/live/radio/seg_00042.ts"},
        {"../keys/k1.bin", "https://cdn.example/live/keys/k1.bin"},
        {"//mirror.example/s.aac", "https://mirror.example/s.aac"},
    });
    ExpectResolved("http://host:8000", {{"stream", "http://host:8000/stream"}});
    ExpectResolved("http://host/list.pls#frag", {{"", "http://host/list.pls"}});
    // Absent and empty components differ, and a colon after a slash or a digit ends no scheme.
    EXPECT_EQ(JoinUrl(SplitUrl("http://h:1/p/q?#")), "http://h:1/p/q?#");
    EXPECT_EQ(SplitUrl("http://h/p?").query, "");
    EXPECT_FALSE(SplitUrl("http://h/p").query);
    EXPECT_FALSE(SplitUrl("a/b:c").scheme);
    EXPECT_FALSE(SplitUrl("1x:y").scheme);
}

}  // namespace
}  // namespace zarvio::stream
