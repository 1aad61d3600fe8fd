// A small HTTP/1.0 client on Winsock for plain http stream servers whose answers WinHTTP
// refuses ("ICY 200 OK"). Direct connections only (no proxy, no TLS); redirects followed up to
// the same limit as WinHTTP; 10 s to connect and to answer, then 3 s per receive as the stall
// detector.
#pragma once
#include <memory>

#include "player/stream/transport/http_transport.h"

namespace zarvio::stream {

class WinsockLibrary;

class WinsockHttp10Transport final : public HttpTransport {
public:
    WinsockHttp10Transport();
    ~WinsockHttp10Transport() override;
    std::unique_ptr<HttpBody> Open(const HttpRequest& request, HttpResponse& response,
                                   Failure& failure) override;

private:
    // Winsock stays started while this transport or any of its bodies lives.
    std::shared_ptr<WinsockLibrary> winsock_;
};

}  // namespace zarvio::stream
