#include "player/stream/transport/http_fetch.h"

#include "platform/text.h"

namespace zarvio::stream {

bool ReadRest(HttpBody& body, std::vector<uint8_t>& bytes, size_t limit, Failure& failure,
              const StopAsked& stopped) {
    uint8_t buffer[16 * 1024];
    for (;;) {
        if (stopped && stopped()) {
            failure = Failure{FailureCause::Other, 0};
            return false;
        }
        const std::optional<size_t> n = body.Read(buffer, sizeof buffer, failure);
        if (!n) return false;
        if (*n == 0) return true;
        if (bytes.size() + *n > limit) {
            failure = Failure{FailureCause::Unsupported, 0};  // more than anything of its kind should be
            return false;
        }
        bytes.insert(bytes.end(), buffer, buffer + *n);
    }
}

std::optional<Fetched> FetchWhole(HttpTransport& transport, const std::string& url,
                                  std::optional<uint64_t> offset, std::optional<uint64_t> length,
                                  size_t limit, Failure& failure, const StopAsked& stopped) {
    HttpRequest request;
    request.url = FromUtf8(url);
    request.icyMetadata = false;
    if (offset) {
        request.rangeStart = *offset;
        if (length && *length > 0) request.rangeEnd = *offset + *length - 1;
    }
    HttpResponse response;
    std::unique_ptr<HttpBody> body = transport.Open(request, response, failure);
    if (!body) return std::nullopt;
    if (response.status < 200 || response.status > 299) {
        failure = Failure{FailureCause::HttpStatus, response.status};
        return std::nullopt;
    }
    Fetched out;
    out.finalUrl = ToUtf8(response.finalUrl.empty() ? request.url : response.finalUrl);
    out.contentType = ToUtf8(response.contentType);
    if (stopped && stopped()) {
        failure = Failure{FailureCause::Other, 0};
        return std::nullopt;
    }
    if (!ReadRest(*body, out.bytes, limit, failure, stopped)) return std::nullopt;
    if (response.contentLength && out.bytes.size() < *response.contentLength) {
        failure = Failure{FailureCause::Dropped, 0};
        return std::nullopt;
    }
    if (offset && length && response.status == 200) {
        // A server that ignored the range sent everything: cut the part out ourselves.
        if (*offset + *length > out.bytes.size()) {
            failure = Failure{FailureCause::Dropped, 0};
            return std::nullopt;
        }
        out.bytes = std::vector<uint8_t>(out.bytes.begin() + static_cast<ptrdiff_t>(*offset),
                                         out.bytes.begin() + static_cast<ptrdiff_t>(*offset + *length));
    }
    return out;
}

}  // namespace zarvio::stream
