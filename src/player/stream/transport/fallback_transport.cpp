#include "player/stream/transport/fallback_transport.h"

#include <utility>

#include "player/stream/transport/http_head.h"

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

}  // namespace zarvio::stream

namespace zarvio::stream {

void FallbackTransport::Cancel() {
    first_->Cancel();
    plainHttp_->Cancel();
}

}  // namespace zarvio::stream
