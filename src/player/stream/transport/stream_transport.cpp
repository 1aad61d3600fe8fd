// The transport the stream player uses: WinHTTP first, the Winsock client for plain http
// answers WinHTTP cannot read.
#include <memory>

#include "player/stream/transport/fallback_transport.h"
#include "player/stream/transport/http_transport.h"
#include "player/stream/transport/winhttp_transport.h"
#include "player/stream/transport/winsock_http10.h"

namespace zarvio::stream {

std::unique_ptr<HttpTransport> CreateStreamTransport() {
    return std::make_unique<FallbackTransport>(std::make_unique<WinHttpTransport>(),
                                               std::make_unique<WinsockHttp10Transport>());
}

}  // namespace zarvio::stream
