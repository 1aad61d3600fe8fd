// A transport that puts a second one behind the first for the answers the first cannot read:
// WinHTTP refuses the "ICY 200 OK" status line of old stream servers, which our own Winsock
// HTTP/1.0 client reads. Only plain http goes the second way (the Winsock client has no TLS and
// no proxy), and only when the first transport reported an invalid server answer.
#pragma once
#include <memory>

#include "player/stream/transport/http_transport.h"

namespace zarvio::stream {

class FallbackTransport final : public HttpTransport {
public:
    FallbackTransport(std::unique_ptr<HttpTransport> first, std::unique_ptr<HttpTransport> plainHttp);
    std::unique_ptr<HttpBody> Open(const HttpRequest& request, HttpResponse& response,
                                   Failure& failure) override;
    void Cancel() override;

private:
    std::unique_ptr<HttpTransport> first_;
    std::unique_ptr<HttpTransport> plainHttp_;
};

// The transport the player uses: WinHTTP, and for plain http addresses whose server answers in a
// way WinHTTP refuses (ERROR_WINHTTP_INVALID_SERVER_RESPONSE, the "ICY 200 OK" of old servers),
// the same request once more through the Winsock client. One per connection worker: it keeps
// its sessions (and their kept-alive connections) for the worker's life; used on one thread.
std::unique_ptr<HttpTransport> CreateStreamTransport();

}  // namespace zarvio::stream
