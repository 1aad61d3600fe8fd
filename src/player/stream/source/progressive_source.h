// The sources of one long answer: a stream or a file of MPEG audio or ADTS (with ICY metadata
// where the server sends it), and an MPEG transport stream sent as one answer. Each reads the
// body to its end, or until the feed or the connection fails, and hands the audio to the feed.
#pragma once
#include <cstdint>
#include <vector>

#include "player/stream/source/media_feed.h"
#include "player/stream/transport/http_transport.h"

namespace zarvio::stream {

// first: the body's bytes already read to sniff it.
SourceResult PlayProgressive(HttpBody& body, const HttpResponse& response, std::vector<uint8_t> first,
                             MediaFeed& feed);
SourceResult PlayTransportStream(HttpBody& body, const HttpResponse& response, std::vector<uint8_t> first,
                                 MediaFeed& feed);

}  // namespace zarvio::stream
