#include "player/stream/session/reconnect_policy.h"

#include <array>
#include <limits>

namespace zarvio::stream {

bool IsFinal(const Failure& failure) {
    switch (failure.cause) {
        case FailureCause::DnsFailure:
        case FailureCause::ConnectionRefused:
        case FailureCause::Timeout:
        case FailureCause::Stall:
        case FailureCause::Dropped:
        case FailureCause::InvalidResponse:
        case FailureCause::Other:
            return false;  // the network or the server may well be back in a moment
        case FailureCause::HttpStatus:
            // Request timeout, rate limiting and an overloaded or restarting server behind a
            // gateway pass; any other refusal will be given again.
            switch (failure.httpStatus) {
                case 408: case 429: case 502: case 503: case 504: return false;
                default: return true;
            }
        case FailureCause::Certificate:
        case FailureCause::TooManyRedirects:
        case FailureCause::BadAddress:
        case FailureCause::Undecodable:
        case FailureCause::NoDecoder:
        case FailureCause::BadPlaylist:
        case FailureCause::Unsupported:
            return true;
    }
    return true;
}

uint32_t ReconnectBackoff::NextDelayMs() {
    constexpr std::array<uint32_t, 5> kDoubling = {500, 1000, 2000, 4000, 8000};
    constexpr uint32_t kSteady = 15000;
    const uint32_t delay = attempts_ < static_cast<int>(kDoubling.size()) ? kDoubling[attempts_] : kSteady;
    if (attempts_ < std::numeric_limits<int>::max()) ++attempts_;
    return delay;
}

void ReconnectBackoff::Reset() { attempts_ = 0; }

}  // namespace zarvio::stream
