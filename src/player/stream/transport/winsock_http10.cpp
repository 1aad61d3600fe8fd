#include <winsock2.h>
#include <ws2tcpip.h>

#include "player/stream/transport/winsock_http10.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>

#include "platform/handles.h"
#include "platform/text.h"
#include "player/stream/transport/http_head.h"
#include "player/stream/transport/redirects.h"
#include "player/stream/transport/winhttp_transport.h"  // the User-Agent and the timeouts

namespace zarvio::stream {

// WSAStartup and its WSACleanup.
class WinsockLibrary {
public:
    WinsockLibrary() {
        WSADATA data{};
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockLibrary() {
        if (started_) WSACleanup();
    }
    WinsockLibrary(const WinsockLibrary&) = delete;
    WinsockLibrary& operator=(const WinsockLibrary&) = delete;
    bool started() const { return started_; }

private:
    bool started_ = false;
};

namespace {

struct SocketTraits {
    static SOCKET Invalid() { return INVALID_SOCKET; }
    static void Close(SOCKET s) { closesocket(s); }
};
using Socket = UniqueHandle<SOCKET, SocketTraits>;

struct AddressListTraits {
    static addrinfo* Invalid() { return nullptr; }
    static void Close(addrinfo* a) { freeaddrinfo(a); }
};
using AddressList = UniqueHandle<addrinfo*, AddressListTraits>;

constexpr size_t kMaxHeadBytes = 16 * 1024;

void SetReceiveTimeout(SOCKET s, DWORD ms) {
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
}

Failure FailureOfSocketError(int error, bool reading) {
    switch (error) {
    case WSAETIMEDOUT: return {reading ? FailureCause::Stall : FailureCause::Timeout, 0};
    case WSAECONNREFUSED: return {FailureCause::ConnectionRefused, 0};
    default: return {FailureCause::Dropped, 0};
    }
}

// Connects to the first address that answers within the connect timeout, all addresses
// sharing it. A non-blocking connect waited on with select, since a blocking one waits as long
// as the system's own retries take.
Socket Connect(const PlainHttpAddress& address, Failure& failure) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(address.host.c_str(), std::to_string(address.port).c_str(), &hints, &found) != 0) {
        failure = Failure{FailureCause::DnsFailure, 0};
        return Socket();
    }
    AddressList addresses(found);
    const ULONGLONG deadline = GetTickCount64() + kConnectTimeoutMs;
    failure = Failure{FailureCause::ConnectionRefused, 0};
    for (addrinfo* a = addresses.get(); a; a = a->ai_next) {
        Socket s(socket(a->ai_family, a->ai_socktype, a->ai_protocol));
        if (!s) continue;
        u_long nonBlocking = 1;
        ioctlsocket(s.get(), FIONBIO, &nonBlocking);
        if (connect(s.get(), a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0) {
            if (WSAGetLastError() != WSAEWOULDBLOCK) {
                failure = FailureOfSocketError(WSAGetLastError(), false);
                continue;
            }
            const ULONGLONG now = GetTickCount64();
            const ULONGLONG left = deadline > now ? deadline - now : 0;
            timeval wait{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
            fd_set writable, failed;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_SET(s.get(), &writable);
            FD_SET(s.get(), &failed);
            const int ready = select(0, nullptr, &writable, &failed, &wait);
            if (ready == 0) {
                failure = Failure{FailureCause::Timeout, 0};
                break;  // the time for every address is spent
            }
            int error = 0;
            int length = sizeof error;
            getsockopt(s.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
            if (ready < 0 || error != 0 || FD_ISSET(s.get(), &failed)) {
                failure = FailureOfSocketError(error ? error : WSAECONNREFUSED, false);
                continue;
            }
        }
        u_long blocking = 0;
        ioctlsocket(s.get(), FIONBIO, &blocking);
        DWORD sendTimeout = kAnswerTimeoutMs;
        setsockopt(s.get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&sendTimeout), sizeof sendTimeout);
        failure = Failure{};
        return s;
    }
    return Socket();
}

std::string RequestText(const PlainHttpAddress& address, const HttpRequest& request) {
    std::string host = address.host.find(':') != std::string::npos ? "[" + address.host + "]" : address.host;
    if (address.port != 80) host += ":" + std::to_string(address.port);
    std::string text = "GET " + address.target + " HTTP/1.0\r\nHost: " + host + "\r\nUser-Agent: " +
                       ToUtf8(kUserAgent) + "\r\nAccept: */*\r\n";
    if (request.icyMetadata) text += "Icy-MetaData: 1\r\n";
    text += RangeHeaderLine(request);
    return text + "Connection: close\r\n\r\n";
}

bool SendAll(SOCKET s, const std::string& text) {
    size_t sent = 0;
    while (sent < text.size()) {
        const int n = send(s, text.data() + sent, static_cast<int>(text.size() - sent), 0);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

class WinsockBody final : public HttpBody {
public:
    WinsockBody(std::shared_ptr<WinsockLibrary> winsock, Socket socket, std::string pending,
                std::optional<uint64_t> contentLength)
        : winsock_(std::move(winsock)), socket_(std::move(socket)), pending_(std::move(pending)),
          contentLength_(contentLength) {}

    std::optional<size_t> Read(uint8_t* buffer, size_t capacity, Failure& failure) override {
        if (capacity == 0) return 0;
        if (contentLength_) {  // bytes past the announced length are not the body's
            const uint64_t left = *contentLength_ - std::min(received_, *contentLength_);
            if (left == 0) return 0;
            capacity = static_cast<size_t>(std::min<uint64_t>(capacity, left));
        }
        size_t got = 0;
        if (pending_offset_ < pending_.size()) {
            got = std::min(capacity, pending_.size() - pending_offset_);
            std::copy_n(pending_.data() + pending_offset_, got, buffer);
            pending_offset_ += got;
        } else {
            const int n = recv(socket_.get(), reinterpret_cast<char*>(buffer),
                               static_cast<int>(std::min<size_t>(capacity, INT_MAX)), 0);
            if (n < 0) {
                failure = FailureOfSocketError(WSAGetLastError(), true);
                return std::nullopt;
            }
            if (n == 0) {
                if (contentLength_ && received_ < *contentLength_) {
                    failure = Failure{FailureCause::Dropped, 0};
                    return std::nullopt;
                }
                return 0;
            }
            got = static_cast<size_t>(n);
        }
        received_ += got;
        return got;
    }

private:
    std::shared_ptr<WinsockLibrary> winsock_;  // declared first: cleaned up after the socket closes
    Socket socket_;
    std::string pending_;  // body bytes that came with the head
    size_t pending_offset_ = 0;
    std::optional<uint64_t> contentLength_;
    uint64_t received_ = 0;
};

}  // namespace

WinsockHttp10Transport::WinsockHttp10Transport() : winsock_(std::make_shared<WinsockLibrary>()) {}
WinsockHttp10Transport::~WinsockHttp10Transport() = default;

std::unique_ptr<HttpBody> WinsockHttp10Transport::Open(const HttpRequest& request, HttpResponse& response,
                                                       Failure& failure) {
    response = HttpResponse{};
    if (!winsock_->started()) {
        failure = Failure{FailureCause::Other, 0};
        return nullptr;
    }
    return OpenFollowingRedirects(ToUtf8(request.url), failure, [&](const std::string& url) -> Hop {
        const auto address = ParsePlainHttpAddress(url);
        if (!address) {
            failure = Failure{FailureCause::BadAddress, 0};
            return {};
        }
        Socket s = Connect(*address, failure);
        if (!s) return {};
        if (!SendAll(s.get(), RequestText(*address, request))) {
            failure = Failure{FailureCause::Dropped, 0};
            return {};
        }
        SetReceiveTimeout(s.get(), kAnswerTimeoutMs);
        std::string received;
        std::optional<size_t> headEnd;
        char chunk[4096];
        while (!(headEnd = EndOfHead(received))) {
            if (received.size() > kMaxHeadBytes) {
                failure = Failure{FailureCause::InvalidResponse, 0};
                return {};
            }
            const int n = recv(s.get(), chunk, sizeof chunk, 0);
            if (n < 0) {
                failure = FailureOfSocketError(WSAGetLastError(), false);
                return {};
            }
            if (n == 0) {
                failure = Failure{received.empty() ? FailureCause::Dropped : FailureCause::InvalidResponse, 0};
                return {};
            }
            received.append(chunk, static_cast<size_t>(n));
        }
        const auto head = ParseHttpHead(std::string_view(received).substr(0, *headEnd));
        if (!head) {
            failure = Failure{FailureCause::InvalidResponse, 0};
            return {};
        }
        const auto location = head->Find("location");
        if (IsRedirect(head->status) && location && !location->empty()) return {nullptr, std::string(*location)};
        SetReceiveTimeout(s.get(), kReceiveTimeoutMs);
        response.status = head->status;
        response.finalUrl = FromUtf8(url);
        if (const auto type = head->Find("content-type")) response.contentType = FromUtf8(MediaTypeOf(*type));
        if (const auto length = head->Find("content-length")) response.contentLength = ParseDecimal(*length);
        if (const auto metaint = head->Find("icy-metaint")) {
            response.icyMetaInt = static_cast<size_t>(ParseDecimal(*metaint).value_or(0));
        }
        return {std::make_unique<WinsockBody>(winsock_, std::move(s), received.substr(*headEnd), response.contentLength),
                std::nullopt};
    });
}

}  // namespace zarvio::stream
