// The stream player's HTTP and HTTPS transport on WinHTTP: the user's proxy settings, TLS with
// the system's certificate checks (never relaxed), redirects followed by us so each hop is
// counted and https to http is allowed, and the 10 s connect/answer and 3 s receive timeouts.
#pragma once
#include <windows.h>
#include <winhttp.h>

#include <memory>
#include <mutex>
#include <vector>

#include "platform/handles.h"
#include "platform/version.h"
#include "player/stream/transport/http_transport.h"

namespace zarvio::stream {

// What the player's requests say they come from, and how long they wait: the Winsock client
// keeps to the same.
inline constexpr wchar_t kUserAgent[] = L"Zarvio/" ZARVIO_VERSION_TEXT;
inline constexpr uint32_t kConnectTimeoutMs = 10000;
inline constexpr uint32_t kAnswerTimeoutMs = 10000;
inline constexpr uint32_t kReceiveTimeoutMs = 3000;  // the stall detector

struct WinHttpHandleTraits {
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET h) { WinHttpCloseHandle(h); }
};
using WinHttpHandle = UniqueHandle<HINTERNET, WinHttpHandleTraits>;

// A failure as the stream player sees it, from a WinHTTP error code. reading: the error came
// while reading a body (a timeout then is a stall, not an unanswered request).
Failure FailureOfWinHttpError(DWORD error, bool reading);

// The open requests of one transport, which another thread may cut short: closing a request
// handle ends the WinHTTP calls pending on it.
class RequestCanceller {
public:
    // Takes charge of closing the request. False (the request closed) after Cancel.
    bool Adopt(HINTERNET request);
    // Closes the request, unless Cancel closed it already.
    void Close(HINTERNET request);
    // Closes every open request; requests adopted later are refused.
    void Cancel();
    bool Cancelled();

private:
    std::mutex mutex_;
    bool cancelled_ = false;
    std::vector<HINTERNET> open_;
};

// One WinHTTP session; its bodies keep it alive (they share it), so a body may outlive the
// transport. The transport and its bodies are used on one thread, apart from Cancel.
class WinHttpTransport final : public HttpTransport {
public:
    WinHttpTransport();
    std::unique_ptr<HttpBody> Open(const HttpRequest& request, HttpResponse& response,
                                   Failure& failure) override;
    void Cancel() override { canceller_->Cancel(); }

private:
    std::shared_ptr<WinHttpHandle> session_;
    std::shared_ptr<RequestCanceller> canceller_ = std::make_shared<RequestCanceller>();
};

}  // namespace zarvio::stream
