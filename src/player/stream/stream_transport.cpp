// The transport the stream player uses: WinHTTP first, the Winsock client for plain http
// answers WinHTTP cannot read.
#include <memory>

#include "player/stream/fallback_transport.h"
#include "player/stream/http_transport.h"
#include "player/stream/winhttp_transport.h"
#include "player/stream/winsock_http10.h"

namespace zarvio::stream {

std::unique_ptr<HttpTransport> CreateStreamTransport() {
    return std::make_unique<FallbackTransport>(std::make_unique<WinHttpTransport>(),
                                               std::make_unique<WinsockHttp10Transport>());
}

}  // namespace zarvio::stream
