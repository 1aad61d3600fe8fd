// The Winsock client's reading of status lines, headers and redirect targets.
#include <gtest/gtest.h>

#include "player/stream/base/url_resolve.h"
#include "player/stream/transport/http_head.h"

namespace zarvio::stream {
namespace {

TEST(HttpHead, StatusLinesOfStreamServers) {
    const auto icy = ParseHttpHead("ICY 200 OK\r\nicy-MetaInt: 16000\r\nContent-Type:audio/mpeg\r\n");
    ASSERT_TRUE(icy);
    EXPECT_EQ(icy->status, 200);
    EXPECT_EQ(icy->Find("ICY-METAINT"), "16000");
    EXPECT_EQ(icy->Find("content-type"), "audio/mpeg");
    EXPECT_FALSE(icy->Find("content-length"));
    EXPECT_EQ(ParseHttpHead("HTTP/1.0 302 Found\nLocation:  /next \n")->Find("location"), "/next");
    EXPECT_EQ(ParseHttpHead("HTTP/1.1 404")->status, 404);
    EXPECT_EQ(ParseHttpHead("ICY 401 Service Unavailable")->status, 401);
    // A stray line without a colon does not end the headers.
    EXPECT_EQ(ParseHttpHead("ICY 200 OK\r\ngarbage\r\nicy-metaint: 8\r\n")->Find("icy-metaint"), "8");
    for (const char* bad : {"", "200 OK", "HTTP/2 200", "HTTP/1.1 20 OK", "HTTP/1.1 2000 OK", "ICY OK",
                            "\xff\xfb\x90\x64 mp3 bytes", "HTTP/1.1 099 x"}) {
        EXPECT_FALSE(ParseHttpHead(bad)) << bad;
    }
}

TEST(HttpHead, EndOfHeadAndValues) {
    EXPECT_FALSE(EndOfHead("ICY 200 OK\r\nicy-metaint: 1\r\n"));
    EXPECT_EQ(EndOfHead("ICY 200 OK\r\n\r\nAUDIO"), 14u);
    EXPECT_EQ(EndOfHead("ICY 200 OK\n\nAUDIO\r\n\r\n"), 12u);  // the earlier blank line counts
    EXPECT_EQ(MediaTypeOf(" Audio/AACP ; charset=utf-8"), "audio/aacp");
    EXPECT_EQ(MediaTypeOf(""), "");
    EXPECT_EQ(ParseDecimal(" 8192 "), 8192u);
    EXPECT_EQ(ParseDecimal("18446744073709551615"), 18446744073709551615u);
    for (const char* bad : {"", " ", "-1", "12a", "18446744073709551616", "0x10"}) EXPECT_FALSE(ParseDecimal(bad)) << bad;
}

TEST(HttpHead, PlainHttpAddresses) {
    auto a = ParsePlainHttpAddress("HTTP://Radio.Example:8000/live?x=1#top");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->host, "Radio.Example");
    EXPECT_EQ(a->port, 8000);
    EXPECT_EQ(a->target, "/live?x=1");
    a = ParsePlainHttpAddress("http://radio.example");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->port, 80);
    EXPECT_EQ(a->target, "/");
    EXPECT_EQ(ParsePlainHttpAddress("http://radio.example?x")->target, "/?x");
    EXPECT_EQ(ParsePlainHttpAddress("http://[::1]:81/a")->host, "::1");
    for (const char* bad : {"https://radio.example/", "http://", "http://:80/", "http://h:0/", "http://h:65536/",
                            "http://h:80x/", "http://user@h/", "http://[::1/", "ftp://h/"}) {
        EXPECT_FALSE(ParsePlainHttpAddress(bad)) << bad;
    }
    EXPECT_TRUE(IsPlainHttpUrl(L"hTTp://x"));
    EXPECT_FALSE(IsPlainHttpUrl(L"https://x"));
    EXPECT_FALSE(IsPlainHttpUrl(L"http:/x"));
}

TEST(HttpHead, RedirectTargets) {
    const char* base = "http://a.example:8000/radio/live.mp3?q=1";
    EXPECT_EQ(ResolveUrl(base, "https://b.example/x"), "https://b.example/x");
    EXPECT_EQ(ResolveUrl(base, "//b.example/x"), "http://b.example/x");
    EXPECT_EQ(ResolveUrl(base, "/x?y"), "http://a.example:8000/x?y");
    EXPECT_EQ(ResolveUrl(base, "other.mp3"), "http://a.example:8000/radio/other.mp3");
    EXPECT_EQ(ResolveUrl(base, "?q=2"), "http://a.example:8000/radio/live.mp3?q=2");
    EXPECT_EQ(ResolveUrl("http://a.example", "x"), "http://a.example/x");
    // A relative path with a colon after a slash is not a scheme.
    EXPECT_EQ(ResolveUrl(base, "a/b:c"), "http://a.example:8000/radio/a/b:c");
}

}  // namespace
}  // namespace zarvio::stream
