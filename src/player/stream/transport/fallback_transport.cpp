#include "player/stream/transport/fallback_transport.h"

#include <utility>

#include "player/stream/transport/http_head.h"
#include "player/stream/transport/winhttp_transport.h"
#include "player/stream/transport/winsock_http10.h"

namespace zarvio::stream {

FallbackTransport::FallbackTransport(std::unique_ptr<HttpTransport> first,
                                     std::unique_ptr<HttpTransport> plainHttp)
    : first_(std::move(first)), plainHttp_(std::move(plainHttp)) {}

std::unique_ptr<HttpBody> FallbackTransport::Open(const HttpRequest& request, HttpResponse& response,
                                                  Failure& failure) {
    auto body = first_->Open(request, response, failure);
    if (body || failure.cause != FailureCause::InvalidResponse || !IsPlainHttpUrl(request.url)) return body;
    response = HttpResponse{};
    failure = Failure{};
    return plainHttp_->Open(request, response, failure);
}

void FallbackTransport::Cancel() {
    first_->Cancel();
    plainHttp_->Cancel();
}

std::unique_ptr<HttpTransport> CreateStreamTransport() {
    return std::make_unique<FallbackTransport>(std::make_unique<WinHttpTransport>(),
                                               std::make_unique<WinsockHttp10Transport>());
}

}  // namespace zarvio::stream
