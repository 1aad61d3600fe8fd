// When the player's transport hands a request to the Winsock client: recorded answers from fake
// transports stand in for WinHTTP refusing "ICY 200 OK" (Wine's WinHTTP reads it, so the real
// one cannot show the refusal here).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "player/stream/transport/fallback_transport.h"

namespace zarvio::stream {
namespace {

class EmptyBody final : public HttpBody {
public:
    std::optional<size_t> Read(uint8_t*, size_t, Failure&) override { return 0; }
};

// Answers every request with `status`, or fails with `cause` when status is 0; records URLs.
class FakeTransport final : public HttpTransport {
public:
    FakeTransport(int status, FailureCause cause, std::vector<std::wstring>& log) : status_(status), cause_(cause), log_(log) {}
    std::unique_ptr<HttpBody> Open(const HttpRequest& request, HttpResponse& response, Failure& failure) override {
        log_.push_back(request.url);
        response = HttpResponse{};
        if (status_ == 0) {
            failure = Failure{cause_, 0};
            return nullptr;
        }
        response.status = status_;
        response.finalUrl = request.url;
        return std::make_unique<EmptyBody>();
    }

private:
    int status_;
    FailureCause cause_;
    std::vector<std::wstring>& log_;
};

struct Outcome {
    bool opened = false;
    int status = 0;
    FailureCause cause = FailureCause::Other;
    std::vector<std::wstring> first, second;
};

Outcome OpenThrough(const std::wstring& url, int firstStatus, FailureCause firstCause, int secondStatus, FailureCause secondCause) {
    Outcome o;
    FallbackTransport transport(std::make_unique<FakeTransport>(firstStatus, firstCause, o.first),
                                std::make_unique<FakeTransport>(secondStatus, secondCause, o.second));
    HttpRequest request;
    request.url = url;
    HttpResponse response;
    Failure failure;
    o.opened = transport.Open(request, response, failure) != nullptr;
    o.status = response.status;
    o.cause = failure.cause;
    return o;
}

TEST(FallbackTransport, InvalidAnswerOnPlainHttpRetriesOnceThroughTheSecond) {
    const Outcome o = OpenThrough(L"HTTP://radio.example/live", 0, FailureCause::InvalidResponse, 200, FailureCause::Other);
    EXPECT_TRUE(o.opened);
    EXPECT_EQ(o.status, 200);
    EXPECT_EQ(o.first.size(), 1u);
    ASSERT_EQ(o.second.size(), 1u);
    EXPECT_EQ(o.second[0], L"HTTP://radio.example/live");  // the same request

    // The second one's failure is the one reported, and nothing tries a third time.
    const Outcome failed = OpenThrough(L"http://radio.example/live", 0, FailureCause::InvalidResponse, 0, FailureCause::Stall);
    EXPECT_FALSE(failed.opened);
    EXPECT_EQ(failed.cause, FailureCause::Stall);
    EXPECT_EQ(failed.first.size() + failed.second.size(), 2u);
}

TEST(FallbackTransport, EverythingElseStaysWithTheFirst) {
    // https: the Winsock client has no TLS.
    Outcome o = OpenThrough(L"https://radio.example/live", 0, FailureCause::InvalidResponse, 200, FailureCause::Other);
    EXPECT_FALSE(o.opened);
    EXPECT_EQ(o.cause, FailureCause::InvalidResponse);
    EXPECT_TRUE(o.second.empty());
    // Other failures: the Winsock client would only meet them again, without the proxy.
    for (FailureCause cause : {FailureCause::ConnectionRefused, FailureCause::Timeout, FailureCause::Certificate,
                               FailureCause::DnsFailure, FailureCause::Dropped}) {
        o = OpenThrough(L"http://radio.example/live", 0, cause, 200, FailureCause::Other);
        EXPECT_FALSE(o.opened);
        EXPECT_EQ(o.cause, cause);
        EXPECT_TRUE(o.second.empty());
    }
    // An answer, even an error status, is the answer.
    o = OpenThrough(L"http://radio.example/live", 404, FailureCause::Other, 200, FailureCause::Other);
    EXPECT_TRUE(o.opened);
    EXPECT_EQ(o.status, 404);
    EXPECT_TRUE(o.second.empty());
}

}  // namespace
}  // namespace zarvio::stream
