#include "player/stream/source/progressive_source.h"

#include <utility>

#include "player/stream/formats/mpeg_ts_demuxer.h"
#include "player/stream/source/icy_body.h"

namespace zarvio::stream {
namespace {

constexpr size_t kReadSize = 16 * 1024;

SourceResult Stopped(const MediaFeed& feed, const Failure& failure) {
    return {feed.Abandoned() ? SourceEnd::Abandoned : SourceEnd::Failed, failure};
}

}  // namespace

SourceResult PlayProgressive(HttpBody& body, const HttpResponse& response, std::vector<uint8_t> first,
                             MediaFeed& feed) {
    feed.Connected();
    IcyBody audio(body, response.icyMetaInt, std::move(first), [&feed](const std::string& title) {
        feed.MarkTitle(title);
    });
    uint8_t buffer[IcyBody::kIcySlice];
    Failure failure;
    for (;;) {
        if (feed.Abandoned()) return {SourceEnd::Abandoned, {}};
        const std::optional<size_t> n = audio.Read(buffer, sizeof buffer, failure);
        if (feed.Abandoned()) return {SourceEnd::Abandoned, {}};
        if (!n) return {SourceEnd::Failed, failure};
        if (*n == 0) {
            if (response.contentLength && audio.RawBytes() >= *response.contentLength) {
                if (!feed.EndOfAudio(failure)) return Stopped(feed, failure);
                return {SourceEnd::Finished, {}};
            }
            return {SourceEnd::Failed, Failure{FailureCause::Dropped, 0}};  // a stream has no end
        }
        if (!feed.FeedAudio(std::span<const uint8_t>(buffer, *n), failure)) return Stopped(feed, failure);
    }
}

SourceResult PlayTransportStream(HttpBody& body, const HttpResponse& response, std::vector<uint8_t> first,
                                 MediaFeed& feed) {
    feed.Connected();
    MpegTsDemuxer demuxer;
    std::vector<TsPayload> payloads;
    std::vector<uint8_t> buffer = std::move(first);
    uint64_t received = buffer.size();
    Failure failure;
    for (;;) {
        payloads.clear();
        demuxer.Push(buffer, payloads);
        if (demuxer.State() == TsStreamState::Unsupported) return {SourceEnd::Failed, Failure{FailureCause::Unsupported, 0}};
        for (const TsPayload& p : payloads) {
            if (p.kind == TsPayload::Kind::Audio && !feed.FeedAudio(p.bytes, failure)) return Stopped(feed, failure);
        }
        buffer.resize(kReadSize);
        const std::optional<size_t> n = body.Read(buffer.data(), buffer.size(), failure);
        if (feed.Abandoned()) return {SourceEnd::Abandoned, {}};
        if (!n) return {SourceEnd::Failed, failure};
        if (*n == 0) {
            if (!response.contentLength || received < *response.contentLength)
                return {SourceEnd::Failed, Failure{FailureCause::Dropped, 0}};
            payloads.clear();
            demuxer.Flush(payloads);
            for (const TsPayload& p : payloads)
                if (p.kind == TsPayload::Kind::Audio && !feed.FeedAudio(p.bytes, failure)) return {SourceEnd::Failed, failure};
            if (!feed.EndOfAudio(failure)) return {SourceEnd::Failed, failure};
            return {SourceEnd::Finished, {}};
        }
        received += *n;
        buffer.resize(*n);
    }
}

}  // namespace zarvio::stream
