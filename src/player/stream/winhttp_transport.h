// The stream player's HTTP and HTTPS transport on WinHTTP: the user's proxy settings, TLS with
// the system's certificate checks (never relaxed), redirects followed by us so each hop is
// counted and https to http is allowed, and the 10 s connect/answer and 3 s receive timeouts.
#pragma once
#include <windows.h>
#include <winhttp.h>

#include <memory>

#include "platform/handles.h"
#include "player/stream/http_transport.h"

namespace zarvio::stream {

struct WinHttpHandleTraits {
    static HINTERNET Invalid() { return nullptr; }
    static void Close(HINTERNET h) { WinHttpCloseHandle(h); }
};
using WinHttpHandle = UniqueHandle<HINTERNET, WinHttpHandleTraits>;

// A failure as the stream player sees it, from a WinHTTP error code. reading: the error came
// while reading a body (a timeout then is a stall, not an unanswered request).
Failure FailureOfWinHttpError(DWORD error, bool reading);

// One WinHTTP session; its bodies keep it alive (they share it), so a body may outlive the
// transport. The transport and its bodies are used on one thread, which closes their handles.
class WinHttpTransport final : public HttpTransport {
public:
    WinHttpTransport();
    std::unique_ptr<HttpBody> Open(const HttpRequest& request, HttpResponse& response,
                                   Failure& failure) override;

private:
    std::shared_ptr<WinHttpHandle> session_;
};

}  // namespace zarvio::stream
