// An answer's body with the ICY metadata taken out: what is read from it is audio alone, and
// the titles of the blocks between the audio go to a callback at their place in it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "player/stream/formats/icy_metadata.h"
#include "player/stream/transport/http_transport.h"

namespace zarvio::stream {

class IcyBody final : public HttpBody {
public:
    using TitleSink = std::function<void(const std::string& rawTitle)>;

    // Reads from inner, which an answer with the given icy-metaint (0: no metadata) opened.
    // first: the body's bytes already read (the sniffed start), raw. A block's title goes to
    // onTitle once the audio before it has been read and before any audio after it is read.
    IcyBody(HttpBody& inner, size_t metaInt, std::vector<uint8_t> first, TitleSink onTitle);

    // Audio of at most one slice of the raw stream at a time (kIcySlice raw bytes), so that a
    // title is marked within about 60 ms of audio of where the server put it.
    std::optional<size_t> Read(uint8_t* buffer, size_t capacity, Failure& failure) override;

    // The raw bytes received so far, metadata included: what an answer's Content-Length counts.
    uint64_t RawBytes() const { return rawBytes_; }

    static constexpr size_t kIcySlice = 1024;

private:
    void DeliverTitles();

    HttpBody& inner_;
    IcySplitter splitter_;
    TitleSink onTitle_;
    std::vector<uint8_t> raw_;   // received, not yet split
    size_t rawPos_ = 0;
    std::string audio_;          // split, not yet read
    size_t audioPos_ = 0;
    std::vector<std::string> blocks_;  // split, their titles not yet delivered
    uint64_t rawBytes_ = 0;
};

}  // namespace zarvio::stream
