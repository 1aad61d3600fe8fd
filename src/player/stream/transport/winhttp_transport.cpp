#include "player/stream/transport/winhttp_transport.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/text.h"
#include "player/stream/transport/http_head.h"
#include "player/stream/transport/redirects.h"

namespace zarvio::stream {
namespace {

// Header values that matter here are ASCII; anything else cannot match what we look for.
std::string AsciiOf(const std::wstring& s) {
    std::string out;
    out.reserve(s.size());
    for (wchar_t c : s) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

// A response header as text; nullopt when the answer lacks it.
std::optional<std::wstring> QueryHeader(HINTERNET request, DWORD info, const wchar_t* name = WINHTTP_HEADER_NAME_BY_INDEX) {
    DWORD bytes = 0;
    WinHttpQueryHeaders(request, info, name, WINHTTP_NO_OUTPUT_BUFFER, &bytes, WINHTTP_NO_HEADER_INDEX);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return std::nullopt;
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (!WinHttpQueryHeaders(request, info, name, value.data(), &bytes, WINHTTP_NO_HEADER_INDEX)) return std::nullopt;
    value.resize(bytes / sizeof(wchar_t));
    return value;
}

std::optional<std::wstring> QueryUrl(HINTERNET request) {
    DWORD bytes = 0;
    WinHttpQueryOption(request, WINHTTP_OPTION_URL, nullptr, &bytes);
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return std::nullopt;
    std::wstring url(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(url.size() * sizeof(wchar_t));
    if (!WinHttpQueryOption(request, WINHTTP_OPTION_URL, url.data(), &bytes)) return std::nullopt;
    url.resize(wcsnlen(url.c_str(), url.size()));
    return url;
}

// Proxy settings the way the user set them: WinHTTP's automatic proxy (Windows 8.1 and later),
// else the manual proxy of the Internet settings, else a direct connection.
WinHttpHandle OpenSession() {
    if (HINTERNET h = WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0)) {
        return WinHttpHandle(h);
    }
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie{};
    HINTERNET h = nullptr;
    if (WinHttpGetIEProxyConfigForCurrentUser(&ie) && ie.lpszProxy && *ie.lpszProxy) {
        h = WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, ie.lpszProxy,
                        ie.lpszProxyBypass && *ie.lpszProxyBypass ? ie.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS, 0);
    }
    for (LPWSTR s : {ie.lpszAutoConfigUrl, ie.lpszProxy, ie.lpszProxyBypass})
        if (s) GlobalFree(s);
    if (!h) h = WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    return WinHttpHandle(h);
}

void ConfigureSession(HINTERNET session) {
    WinHttpSetTimeouts(session, static_cast<int>(kConnectTimeoutMs), static_cast<int>(kConnectTimeoutMs),
                       static_cast<int>(kAnswerTimeoutMs), static_cast<int>(kReceiveTimeoutMs));
    // Windows 7's WinHTTP offers only TLS 1.0 unless asked; newer systems take the list with
    // TLS 1.3, older ones refuse that flag and get the list without it.
    constexpr DWORD kTls13 = 0x00002000;  // WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | kTls13;
    if (!WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) {
        protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1 |
                    WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
        WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
    }
}

// A request handle in the canceller's charge: closed here, or by Cancel from another thread.
class Request {
public:
    Request(std::shared_ptr<RequestCanceller> canceller, HINTERNET handle)
        : canceller_(std::move(canceller)), handle_(handle) {}
    ~Request() {
        if (handle_) canceller_->Close(handle_);
    }
    Request(Request&& o) noexcept : canceller_(std::move(o.canceller_)), handle_(std::exchange(o.handle_, nullptr)) {}
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;
    Request& operator=(Request&&) = delete;
    HINTERNET get() const { return handle_; }
    bool Cancelled() const { return canceller_->Cancelled(); }

private:
    std::shared_ptr<RequestCanceller> canceller_;
    HINTERNET handle_;
};

class WinHttpBody final : public HttpBody {
public:
    WinHttpBody(std::shared_ptr<WinHttpHandle> session, WinHttpHandle connect, Request request,
                std::optional<uint64_t> contentLength)
        : session_(std::move(session)), connect_(std::move(connect)), request_(std::move(request)),
          contentLength_(contentLength) {}

    std::optional<size_t> Read(uint8_t* buffer, size_t capacity, Failure& failure) override {
        if (ended_ || capacity == 0) return 0;
        if (request_.Cancelled()) {  // its handle is closed
            failure = Failure{FailureCause::Other, 0};
            return std::nullopt;
        }
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request_.get(), &available)) {
            failure = FailureOfWinHttpError(GetLastError(), true);
            return std::nullopt;
        }
        DWORD got = 0;
        if (available > 0) {
            const DWORD want = static_cast<DWORD>(std::min<size_t>(available, std::min<size_t>(capacity, 1u << 30)));
            if (!WinHttpReadData(request_.get(), buffer, want, &got)) {
                failure = FailureOfWinHttpError(GetLastError(), true);
                return std::nullopt;
            }
        }
        if (got == 0) {
            if (contentLength_ && received_ < *contentLength_) {
                failure = Failure{FailureCause::Dropped, 0};
                return std::nullopt;
            }
            ended_ = true;
            return 0;
        }
        received_ += got;
        return got;
    }

private:
    // Declared in this order so the request closes first and the session (shared) last.
    std::shared_ptr<WinHttpHandle> session_;
    WinHttpHandle connect_;
    Request request_;
    std::optional<uint64_t> contentLength_;
    uint64_t received_ = 0;
    bool ended_ = false;
};

}  // namespace

bool RequestCanceller::Adopt(HINTERNET request) {
    std::lock_guard lock(mutex_);
    if (cancelled_) {
        WinHttpCloseHandle(request);
        return false;
    }
    open_.push_back(request);
    return true;
}

void RequestCanceller::Close(HINTERNET request) {
    std::lock_guard lock(mutex_);
    const auto at = std::find(open_.begin(), open_.end(), request);
    if (at == open_.end()) return;  // Cancel closed it
    open_.erase(at);
    WinHttpCloseHandle(request);
}

void RequestCanceller::Cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    for (HINTERNET request : open_) WinHttpCloseHandle(request);
    open_.clear();
}

bool RequestCanceller::Cancelled() {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

Failure FailureOfWinHttpError(DWORD error, bool reading) {
    // Wine's WinHTTP passes some socket errors through as they are.
    constexpr DWORD kSocketConnectionAborted = 10053, kSocketConnectionReset = 10054, kSocketTimedOut = 10060;
    switch (error) {
    case kSocketTimedOut: return {reading ? FailureCause::Stall : FailureCause::Timeout, 0};
    case kSocketConnectionAborted:
    case kSocketConnectionReset:
        return {FailureCause::Dropped, 0};
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: return {FailureCause::DnsFailure, 0};
    case ERROR_WINHTTP_CANNOT_CONNECT: return {FailureCause::ConnectionRefused, 0};
    case ERROR_WINHTTP_TIMEOUT: return {reading ? FailureCause::Stall : FailureCause::Timeout, 0};
    case ERROR_WINHTTP_CONNECTION_ERROR: return {FailureCause::Dropped, 0};
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
    case ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED:
        return {FailureCause::Certificate, 0};
    case ERROR_WINHTTP_REDIRECT_FAILED: return {FailureCause::TooManyRedirects, 0};
    case ERROR_WINHTTP_INVALID_URL:
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
        return {FailureCause::BadAddress, 0};
    // A body that stops making sense half-way (a broken chunk) is a drop; an answer that never
    // made sense is the case the Winsock client may read instead.
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        return {reading ? FailureCause::Dropped : FailureCause::InvalidResponse, 0};
    default: return {reading ? FailureCause::Dropped : FailureCause::Other, 0};
    }
}

WinHttpTransport::WinHttpTransport() : session_(std::make_shared<WinHttpHandle>(OpenSession())) {
    if (*session_) ConfigureSession(session_->get());
}

std::unique_ptr<HttpBody> WinHttpTransport::Open(const HttpRequest& request, HttpResponse& response,
                                                 Failure& failure) {
    response = HttpResponse{};
    if (!*session_) {
        failure = Failure{FailureCause::Other, 0};
        return nullptr;
    }
    std::wstring headers;
    if (request.icyMetadata) headers += L"Icy-MetaData: 1\r\n";
    const std::string range = RangeHeaderLine(request);
    headers.append(range.begin(), range.end());
    return OpenFollowingRedirects(ToUtf8(request.url), failure, [&](const std::string& address) -> Hop {
        const std::wstring url = FromUtf8(address);
        URL_COMPONENTS parts{};
        parts.dwStructSize = sizeof parts;
        parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
        if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts) ||
            (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) || parts.dwHostNameLength == 0) {
            failure = Failure{FailureCause::BadAddress, 0};
            return {};
        }
        const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
        std::wstring target = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                              std::wstring(parts.lpszExtraInfo ? parts.lpszExtraInfo : L"", parts.dwExtraInfoLength);
        target = target.substr(0, target.find(L'#'));
        if (target.empty() || target.front() != L'/') target.insert(target.begin(), L'/');

        WinHttpHandle connect(WinHttpConnect(session_->get(), host.c_str(), parts.nPort, 0));
        if (!connect) {
            failure = FailureOfWinHttpError(GetLastError(), false);
            return {};
        }
        HINTERNET opened = WinHttpOpenRequest(connect.get(), L"GET", target.c_str(), nullptr, WINHTTP_NO_REFERER,
                                              WINHTTP_DEFAULT_ACCEPT_TYPES,
                                              parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
        if (!opened) {
            failure = FailureOfWinHttpError(GetLastError(), false);
            return {};
        }
        if (!canceller_->Adopt(opened)) {
            failure = Failure{FailureCause::Other, 0};
            return {};
        }
        Request req(canceller_, opened);
        // We follow redirects ourselves: each hop counts, and https may lead to http (the
        // audio is public; WinHTTP's own policy refuses that step by default).
        DWORD feature = WINHTTP_DISABLE_REDIRECTS;
        WinHttpSetOption(req.get(), WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof feature);
        // The headers get the answer timeout; the 3 s receive timeout (the stall rule) is for
        // the body. Wine takes the socket's timeout once per connection, so the receive timeout
        // cannot be raised for the headers and lowered after them.
        DWORD answerTimeout = kAnswerTimeoutMs;
        WinHttpSetOption(req.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &answerTimeout, sizeof answerTimeout);
        if (!WinHttpSendRequest(req.get(), headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                                headers.empty() ? 0 : static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
            !WinHttpReceiveResponse(req.get(), nullptr)) {
            failure = FailureOfWinHttpError(GetLastError(), false);
            return {};
        }
        DWORD status = 0, size = sizeof status;
        if (!WinHttpQueryHeaders(req.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
            failure = Failure{FailureCause::InvalidResponse, 0};
            return {};
        }
        const auto location = QueryHeader(req.get(), WINHTTP_QUERY_LOCATION);
        if (IsRedirect(static_cast<int>(status)) && location && !location->empty()) return {nullptr, ToUtf8(*location)};
        response.status = static_cast<int>(status);
        response.finalUrl = QueryUrl(req.get()).value_or(url);
        if (const auto type = QueryHeader(req.get(), WINHTTP_QUERY_CONTENT_TYPE)) {
            const std::string media = MediaTypeOf(AsciiOf(*type));
            response.contentType.assign(media.begin(), media.end());
        }
        if (const auto length = QueryHeader(req.get(), WINHTTP_QUERY_CONTENT_LENGTH)) response.contentLength = ParseDecimal(AsciiOf(*length));
        if (const auto metaint = QueryHeader(req.get(), WINHTTP_QUERY_CUSTOM, L"icy-metaint")) {
            response.icyMetaInt = static_cast<size_t>(ParseDecimal(AsciiOf(*metaint)).value_or(0));
        }
        return {std::make_unique<WinHttpBody>(session_, std::move(connect), std::move(req), response.contentLength),
                std::nullopt};
    });
}

}  // namespace zarvio::stream
