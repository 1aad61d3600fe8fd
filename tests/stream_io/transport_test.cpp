// The stream transports against the tests' local server: WinHTTP (http, https, redirects,
// statuses, failures) and the Winsock HTTP/1.0 client that reads "ICY 200 OK".
#include <winsock2.h>
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "player/stream/transport/fallback_transport.h"
#include "player/stream/transport/http_transport.h"
#include "player/stream/transport/winhttp_transport.h"
#include "player/stream/transport/winsock_http10.h"
#include "support/stream_world.h"
#include "support/temp_dir.h"

namespace zarvio::stream {
namespace {

using namespace std::string_literals;
using Clock = std::chrono::steady_clock;
using test::ReadMedia;
using test::SecureServerUrl;
using test::ServerUrl;
using test::UntrustedServerUrl;

const std::wstring kTone = L"tone_44100_stereo.mp3";

#define REQUIRE_SERVER()                                                      \
    if (!test::FindStreamServer()) GTEST_SKIP() << "no local stream server"; \
    static_assert(true)

struct Received {
    std::string bytes;
    std::optional<Failure> failure;  // set when the body ended with a failure
    double secondsFromLastData = 0;  // from the last successful read to the end or failure
};

// Reads until the end, a failure or `limit` bytes.
Received ReadBody(HttpBody& body, size_t limit = SIZE_MAX) {
    Received r;
    uint8_t buffer[16384];
    auto last = Clock::now();
    while (r.bytes.size() < limit) {
        Failure failure;
        const auto n = body.Read(buffer, std::min(sizeof buffer, limit - r.bytes.size()), failure);
        if (!n) {
            r.failure = failure;
            break;
        }
        if (*n == 0) break;
        r.bytes.append(reinterpret_cast<const char*>(buffer), *n);
        last = Clock::now();
    }
    r.secondsFromLastData = std::chrono::duration<double>(Clock::now() - last).count();
    return r;
}

HttpRequest Get(const std::wstring& url, bool icy = true) {
    HttpRequest request;
    request.url = url;
    request.icyMetadata = icy;
    return request;
}

// An address as one query parameter's value.
std::wstring QueryEscaped(const std::wstring& s) {
    std::wstring out;
    for (wchar_t c : s) {
        if (c == L'&' || c == L'?' || c == L'=' || c == L'%' || c == L'#' || c == L'+') {
            wchar_t hex[4];
            swprintf(hex, 4, L"%%%02X", static_cast<unsigned>(c));
            out += hex;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// A port on 127.0.0.1 with nobody listening: bound once by us, then closed.
int FreePort() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    int length = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    closesocket(s);
    WSACleanup();
    return ntohs(a.sin_port);
}

// The server's media with a zero metadata byte after every `interval` audio bytes, as the
// server sends a stream without titles from its start.
std::string WithEmptyBlocks(const std::string& audio, size_t interval, size_t total) {
    std::string out;
    for (size_t i = 0; out.size() < total; ++i) {
        out.push_back(audio[i % audio.size()]);
        if ((i + 1) % interval == 0) out.push_back('\0');
    }
    out.resize(total);
    return out;
}

TEST(WinHttpTransport, StreamHeadersAndBody) {
    REQUIRE_SERVER();
    const std::string tone = ReadMedia(kTone);
    WinHttpTransport transport;
    // With "Icy-MetaData: 1" the server interleaves (empty) blocks; the type is normalised.
    const std::wstring url = ServerUrl(L"/stream?status=http10&metaint=4096&type=Audio/MPEG;%20charset=x");
    HttpResponse response;
    Failure failure;
    auto body = transport.Open(Get(url), response, failure);
    ASSERT_TRUE(body) << static_cast<int>(failure.cause);
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.contentType, L"audio/mpeg");
    EXPECT_EQ(response.icyMetaInt, 4096u);
    EXPECT_FALSE(response.contentLength);
    EXPECT_EQ(response.finalUrl, url);
    const Received r = ReadBody(*body, 20000);
    EXPECT_FALSE(r.failure);
    EXPECT_TRUE(r.bytes == WithEmptyBlocks(tone, 4096, 20000)) << "the body is not the file with its blocks";

    // Without the header: no icy-metaint and the plain file bytes.
    body = transport.Open(Get(url, false), response, failure);
    ASSERT_TRUE(body);
    EXPECT_EQ(response.icyMetaInt, 0u);
    EXPECT_TRUE(ReadBody(*body, 20000).bytes == tone.substr(0, 20000));
}

TEST(WinHttpTransport, FileWithLengthAndRanges) {
    REQUIRE_SERVER();
    const std::string tone = ReadMedia(kTone);
    ASSERT_GT(tone.size(), 100000u);
    WinHttpTransport transport;
    HttpResponse response;
    Failure failure;
    auto body = transport.Open(Get(ServerUrl(L"/media/" + kTone)), response, failure);
    ASSERT_TRUE(body);
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.contentLength, tone.size());
    EXPECT_EQ(response.icyMetaInt, 0u);
    Received r = ReadBody(*body);
    EXPECT_FALSE(r.failure);
    EXPECT_TRUE(r.bytes == tone) << r.bytes.size() << " of " << tone.size() << " bytes";

    HttpRequest range = Get(ServerUrl(L"/media/" + kTone));
    range.rangeStart = 1000;
    range.rangeEnd = 1999;
    body = transport.Open(range, response, failure);
    ASSERT_TRUE(body);
    EXPECT_EQ(response.status, 206);
    EXPECT_EQ(response.contentLength, 1000u);
    EXPECT_TRUE(ReadBody(*body).bytes == tone.substr(1000, 1000));

    range.rangeStart = tone.size() - 100;
    range.rangeEnd.reset();
    body = transport.Open(range, response, failure);
    ASSERT_TRUE(body);
    EXPECT_EQ(response.status, 206);
    EXPECT_TRUE(ReadBody(*body).bytes == tone.substr(tone.size() - 100));
}

// The server's request log, read over a connection of its own (counted in "connections").
std::string ServerLog(const std::wstring& query) {
    WinsockHttp10Transport transport;
    HttpResponse response;
    Failure failure;
    auto body = transport.Open(Get(ServerUrl(L"/log" + query), false), response, failure);
    return body ? ReadBody(*body).bytes : std::string();
}

int LoggedConnections() {
    const std::string log = ServerLog(L"");
    const size_t at = log.find("\"connections\": ");
    return at == std::string::npos ? -1 : std::atoi(log.c_str() + at + 15);
}

TEST(WinHttpTransport, FilesOneAfterAnotherShareAConnection) {
    REQUIRE_SERVER();
    WinHttpTransport transport;
    const int before = LoggedConnections();
    ASSERT_GE(before, 1);
    const std::wstring path = L"/media/tone_22050_mono.mp3";
    const int fetchedBefore = std::atoi(ServerLog(L"?path=" + path).c_str());
    for (int i = 0; i < 3; ++i) {
        HttpResponse response;
        Failure failure;
        auto body = transport.Open(Get(ServerUrl(path)), response, failure);
        ASSERT_TRUE(body);
        EXPECT_EQ(ReadBody(*body).bytes.size(), response.contentLength.value_or(0));
    }
    EXPECT_EQ(std::atoi(ServerLog(L"?path=" + path).c_str()), fetchedBefore + 3);
    // Three log reads after the first, and at most one new connection for the three files
    // (none when WinHTTP still keeps one to this server from before).
    const int after = LoggedConnections();
    EXPECT_GE(after, before + 3);
    EXPECT_LE(after, before + 4);
}

TEST(WinHttpTransport, RedirectsFollowedUpToFive) {
    REQUIRE_SERVER();
    const std::string tone = ReadMedia(kTone);
    WinHttpTransport transport;
    HttpResponse response;
    Failure failure;
    const std::wstring target = ServerUrl(L"/media/" + kTone);
    for (const wchar_t* code : {L"301", L"302", L"307"}) {
        auto body = transport.Open(Get(ServerUrl(L"/redirect?n=5&code=" + std::wstring(code) + L"&to=/media/" + kTone)),
                                   response, failure);
        ASSERT_TRUE(body) << code;
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(response.finalUrl, target);
        EXPECT_TRUE(ReadBody(*body).bytes == tone);
    }
    // A relative target resolves against the redirecting address.
    auto body = transport.Open(Get(ServerUrl(L"/redirect?to=media/" + kTone)), response, failure);
    ASSERT_TRUE(body);
    EXPECT_EQ(response.finalUrl, target);

    EXPECT_FALSE(transport.Open(Get(ServerUrl(L"/redirect?n=6&to=/media/" + kTone)), response, failure));
    EXPECT_EQ(failure.cause, FailureCause::TooManyRedirects);
}

TEST(WinHttpTransport, ErrorStatusesAreAnswers) {
    REQUIRE_SERVER();
    WinHttpTransport transport;
    for (int code : {404, 503, 500, 429}) {
        HttpResponse response;
        Failure failure;
        auto body = transport.Open(Get(ServerUrl(L"/status?code=" + std::to_wstring(code))), response, failure);
        ASSERT_TRUE(body) << code;
        EXPECT_EQ(response.status, code);
        EXPECT_EQ(ReadBody(*body).bytes, "status " + std::to_string(code) + "\n");
    }
}

TEST(WinHttpTransport, UnansweredRequests) {
    REQUIRE_SERVER();
    WinHttpTransport transport;
    HttpResponse response;
    Failure failure;
    EXPECT_FALSE(transport.Open(Get(L"http://127.0.0.1:" + std::to_wstring(FreePort()) + L"/"), response, failure));
    EXPECT_EQ(failure.cause, FailureCause::ConnectionRefused);
    EXPECT_FALSE(transport.Open(Get(L"http://no-such-host.invalid/stream"), response, failure));
    EXPECT_EQ(failure.cause, FailureCause::DnsFailure);
    for (const wchar_t* bad : {L"ftp://127.0.0.1/x", L"http://", L"not an address"}) {
        EXPECT_FALSE(transport.Open(Get(bad), response, failure)) << bad;
        EXPECT_EQ(failure.cause, FailureCause::BadAddress) << bad;
    }
    // Headers 4 s late are within the answer timeout, which the 3 s receive timeout must not cut;
    // a server that never answers is given up after it.
    auto body = transport.Open(Get(ServerUrl(L"/status?code=200&delay=4")), response, failure);
    EXPECT_TRUE(body) << static_cast<int>(failure.cause);
    EXPECT_EQ(response.status, 200);
    const auto start = Clock::now();
    EXPECT_FALSE(transport.Open(Get(ServerUrl(L"/status?code=200&delay=20")), response, failure));
    const double waited = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_EQ(failure.cause, FailureCause::Timeout);
    std::printf("WinHTTP gave up on an unanswered request after %.2f s\n", waited);
    EXPECT_GT(waited, 8.0);
    EXPECT_LT(waited, 14.0);
}

TEST(WinHttpTransport, StallDropAndTruncation) {
    REQUIRE_SERVER();
    WinHttpTransport transport;
    HttpResponse response;
    Failure failure;
    auto body = transport.Open(Get(ServerUrl(L"/stream?stall=30000&stall_for=10")), response, failure);
    ASSERT_TRUE(body);
    Received r = ReadBody(*body);
    ASSERT_TRUE(r.failure);
    EXPECT_EQ(r.failure->cause, FailureCause::Stall);
    EXPECT_EQ(r.bytes.size(), 30000u);
    std::printf("WinHTTP stall reported %.2f s after the last data\n", r.secondsFromLastData);
    EXPECT_GT(r.secondsFromLastData, 2.5);
    EXPECT_LT(r.secondsFromLastData, 6.0);

    // A reset connection: Windows' WinHTTP reports it, Wine's ends the body; either way the body
    // ends at once instead of waiting for a stall. The reset comes about a second after the
    // answer (a reset racing the headers throws away what the client had not read yet).
    body = transport.Open(Get(ServerUrl(L"/stream?burst=0.5&drop=24000&drop_mode=reset&metaint=0")), response, failure);
    ASSERT_TRUE(body) << static_cast<int>(failure.cause);
    r = ReadBody(*body);
    if (r.failure) {
        EXPECT_EQ(r.failure->cause, FailureCause::Dropped);
    }
    EXPECT_GT(r.bytes.size(), 8000u);
    EXPECT_LE(r.bytes.size(), 24000u);
    EXPECT_LT(r.secondsFromLastData, 1.0);

    // A file that ends before its Content-Length was dropped, not finished.
    body = transport.Open(Get(ServerUrl(L"/media/" + kTone + L"?truncate=50000")), response, failure);
    ASSERT_TRUE(body);
    r = ReadBody(*body);
    ASSERT_TRUE(r.failure);
    EXPECT_EQ(r.failure->cause, FailureCause::Dropped);
    EXPECT_LE(r.bytes.size(), 50000u);

    // A stream without a length that closes cleanly ends; the player decides that a stream
    // has no business ending.
    body = transport.Open(Get(ServerUrl(L"/stream?drop=30000&metaint=0")), response, failure);
    ASSERT_TRUE(body);
    r = ReadBody(*body);
    EXPECT_FALSE(r.failure);
    EXPECT_EQ(r.bytes.size(), 30000u);
}

// The test authority in the current user's Root store while the program runs. Added before the
// first test: Wine's WinHTTP takes the stores as they are at its first certificate check, and
// reads a registry store's additions only once they are committed.
class TrustedAuthority final : public testing::Environment {
public:
    void SetUp() override {
        const auto server = test::FindStreamServer();
        if (!server) return;
        const std::string der = test::ReadBytes(server->caCertificate);
        HCERTSTORE store = CertOpenSystemStoreW(0, L"ROOT");
        if (!store || der.empty()) return;
        PCCERT_CONTEXT added = nullptr;
        if (CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                             static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &added)) {
            CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
            thumbprint_.resize(20);
            DWORD size = static_cast<DWORD>(thumbprint_.size());
            CertGetCertificateContextProperty(added, CERT_SHA1_HASH_PROP_ID, thumbprint_.data(), &size);
            CertFreeCertificateContext(added);
            trusted_ = true;
        }
        CertCloseStore(store, 0);
    }
    void TearDown() override {
        if (!trusted_) return;
        HCERTSTORE store = CertOpenSystemStoreW(0, L"ROOT");
        if (!store) return;
        CRYPT_HASH_BLOB hash{static_cast<DWORD>(thumbprint_.size()), thumbprint_.data()};
        if (PCCERT_CONTEXT c = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0, CERT_FIND_SHA1_HASH, &hash, nullptr)) {
            CertDeleteCertificateFromStore(c);  // frees the context too
            CertControlStore(store, 0, CERT_STORE_CTRL_COMMIT, nullptr);
        }
        CertCloseStore(store, 0);
    }
    static bool trusted() { return trusted_; }

private:
    static inline bool trusted_ = false;
    std::vector<BYTE> thumbprint_;
};
const auto* const kAuthority = testing::AddGlobalTestEnvironment(new TrustedAuthority);

TEST(WinHttpTransport, HttpsTrustsOnlyTheSystemsAuthorities) {
    REQUIRE_SERVER();
    const auto server = test::FindStreamServer();
    if (!server->httpsPort || !server->untrustedHttpsPort) GTEST_SKIP() << "no TLS listeners";
    ASSERT_TRUE(TrustedAuthority::trusted()) << "the test authority could not be added to the Root store";
    const std::string tone = ReadMedia(kTone);
    HttpResponse response;
    Failure failure;
    WinHttpTransport transport;
    auto body = transport.Open(Get(SecureServerUrl(L"/media/" + kTone)), response, failure);
    ASSERT_TRUE(body) << static_cast<int>(failure.cause);
    EXPECT_EQ(response.status, 200);
    EXPECT_TRUE(ReadBody(*body).bytes == tone);

    // https may lead to http: the audio is public.
    const std::wstring plain = ServerUrl(L"/media/" + kTone);
    body = transport.Open(Get(SecureServerUrl(L"/redirect?to=" + plain)), response, failure);
    ASSERT_TRUE(body) << static_cast<int>(failure.cause);
    EXPECT_EQ(response.finalUrl, plain);
    EXPECT_TRUE(ReadBody(*body).bytes == tone);

    // The same names, a certificate nobody vouches for.
    EXPECT_FALSE(transport.Open(Get(UntrustedServerUrl(L"/media/" + kTone)), response, failure));
    EXPECT_EQ(failure.cause, FailureCause::Certificate);
}

TEST(WinHttpTransport, IcyStatusLineReadsOneWayOrTheOther) {
    REQUIRE_SERVER();
    // Windows' WinHTTP refuses "ICY 200 OK", Wine's reads it; either way the player's
    // transport reads the stream.
    const std::wstring url = ServerUrl(L"/stream?status=icy&metaint=4096");
    HttpResponse response;
    Failure failure;
    {
        WinHttpTransport winhttp;
        auto body = winhttp.Open(Get(url), response, failure);
        std::printf("WinHTTP on \"ICY 200 OK\": %s (status %d, icy-metaint %zu)\n",
                    body ? "read" : "refused", response.status, response.icyMetaInt);
        if (!body) {
            EXPECT_EQ(failure.cause, FailureCause::InvalidResponse);
        }
    }
    auto transport = CreateStreamTransport();
    auto body = transport->Open(Get(url), response, failure);
    ASSERT_TRUE(body);
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.icyMetaInt, 4096u);
    EXPECT_TRUE(ReadBody(*body, 10000).bytes == WithEmptyBlocks(ReadMedia(kTone), 4096, 10000));
}

TEST(WinsockHttp10, ReadsIcyStreamWithTitles) {
    REQUIRE_SERVER();
    const std::string tone = ReadMedia(kTone);
    WinsockHttp10Transport transport;
    // Reached through a redirect, as stream directories hand out addresses.
    const std::wstring stream = ServerUrl(L"/stream?status=icy&metaint=4096&titles=Guns%20N'%20Roses&type=audio/aacp");
    HttpResponse response;
    Failure failure;
    auto body = transport.Open(Get(ServerUrl(L"/redirect?n=2&to=") + QueryEscaped(stream)), response, failure);
    ASSERT_TRUE(body) << static_cast<int>(failure.cause);
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.contentType, L"audio/aacp");
    EXPECT_EQ(response.icyMetaInt, 4096u);
    EXPECT_EQ(response.finalUrl, stream);
    const Received r = ReadBody(*body, 4096 + 1 + 32 + 4096);
    ASSERT_EQ(r.bytes.size(), 4096u + 1 + 32 + 4096);
    EXPECT_TRUE(r.bytes.substr(0, 4096) == tone.substr(0, 4096));
    EXPECT_EQ(r.bytes[4096], 2);  // two 16-byte units
    EXPECT_EQ(r.bytes.substr(4097, 29), "StreamTitle='Guns N' Roses';\0"s);
    EXPECT_TRUE(r.bytes.substr(4096 + 33) == tone.substr(4096, 4096));
}

TEST(WinsockHttp10, AnswersAndFailures) {
    REQUIRE_SERVER();
    const std::string tone = ReadMedia(kTone);
    WinsockHttp10Transport transport;
    HttpResponse response;
    Failure failure;
    auto body = transport.Open(Get(ServerUrl(L"/media/" + kTone)), response, failure);
    ASSERT_TRUE(body);
    EXPECT_EQ(response.contentLength, tone.size());
    EXPECT_TRUE(ReadBody(*body).bytes == tone);

    body = transport.Open(Get(ServerUrl(L"/status?code=404")), response, failure);
    ASSERT_TRUE(body);
    EXPECT_EQ(response.status, 404);
    EXPECT_EQ(ReadBody(*body).bytes, "status 404\n");

    EXPECT_FALSE(transport.Open(Get(L"http://127.0.0.1:" + std::to_wstring(FreePort()) + L"/"), response, failure));
    EXPECT_EQ(failure.cause, FailureCause::ConnectionRefused);
    EXPECT_FALSE(transport.Open(Get(ServerUrl(L"/redirect?n=6")), response, failure));
    EXPECT_EQ(failure.cause, FailureCause::TooManyRedirects);
    EXPECT_FALSE(transport.Open(Get(SecureServerUrl(L"/stream")), response, failure));
    EXPECT_EQ(failure.cause, FailureCause::BadAddress);

    body = transport.Open(Get(ServerUrl(L"/media/" + kTone + L"?truncate=50000")), response, failure);
    ASSERT_TRUE(body);
    Received r = ReadBody(*body);
    ASSERT_TRUE(r.failure);
    EXPECT_EQ(r.failure->cause, FailureCause::Dropped);

    body = transport.Open(Get(ServerUrl(L"/stream?status=icy&stall=30000&stall_for=10")), response, failure);
    ASSERT_TRUE(body);
    r = ReadBody(*body);
    ASSERT_TRUE(r.failure);
    EXPECT_EQ(r.failure->cause, FailureCause::Stall);
    std::printf("Winsock stall reported %.2f s after the last data\n", r.secondsFromLastData);
    EXPECT_GT(r.secondsFromLastData, 2.5);
    EXPECT_LT(r.secondsFromLastData, 6.0);
}

}  // namespace
}  // namespace zarvio::stream
