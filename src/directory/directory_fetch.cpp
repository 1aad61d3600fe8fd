// The one place the directory meets the stream player: its HTTP transport and failure texts.
#include "directory/directory_fetch.h"

#include <atomic>

#include "platform/text.h"
#include "player/stream/session/failure_text.h"
#include "player/stream/transport/http_fetch.h"
#include "player/stream/transport/fallback_transport.h"

namespace zarvio::directory {
namespace {

// The reason inside the now-playing line's "无法播放此电台（reason）".
std::wstring ReasonOf(const stream::Failure& failure) {
    const std::wstring text = stream::FailureText(failure);
    const size_t open = text.find(L'（');
    const size_t close = text.rfind(L'）');
    if (open == std::wstring::npos || close == std::wstring::npos || close <= open) return text;
    return text.substr(open + 1, close - open - 1);
}

class TransportFetcher final : public DirectoryFetcher {
public:
    FetchResult Get(const std::wstring& url, size_t limit) override {
        FetchResult result;
        stream::Failure failure;
        const auto fetched = stream::FetchWhole(*transport_, ToUtf8(url), std::nullopt, std::nullopt, limit, failure,
                                                [this] { return cancelled_.load(); });
        if (fetched) {
            result.ok = true;
            result.body.assign(fetched->bytes.begin(), fetched->bytes.end());
        } else if (failure.cause == stream::FailureCause::Unsupported) {
            result.reason = kTooLargeReason;  // what the fetch says of a body over its limit
        } else {
            result.reason = ReasonOf(failure);
        }
        return result;
    }
    void Cancel() override {
        cancelled_ = true;
        transport_->Cancel();
    }

private:
    std::unique_ptr<stream::HttpTransport> transport_ = stream::CreateStreamTransport();
    std::atomic<bool> cancelled_{false};
};

}  // namespace

std::unique_ptr<DirectoryFetcher> CreateDirectoryFetcher() { return std::make_unique<TransportFetcher>(); }

}  // namespace zarvio::directory
