// Playing an HLS playlist: the model's decisions carried out with real fetches. Chooses the
// variant, follows the media playlist across reloads, fetches segments one ahead on the
// transport's kept-alive connection, decrypts AES-128 segments, takes the audio out of
// transport streams, packed audio and fragmented MP4, and hands it with its titles to the feed.
// Runs on the connection's worker thread.
#pragma once
#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "player/stream/source/hls/hls_model.h"
#include "player/stream/source/hls/hls_playlist.h"
#include "player/stream/transport/http_fetch.h"
#include "player/stream/transport/http_transport.h"
#include "player/stream/source/media_feed.h"
#include "player/stream/formats/mp4_fragments.h"
#include "player/stream/formats/mpeg_ts_demuxer.h"

namespace zarvio::stream {

inline constexpr size_t kMaxSegmentBytes = 32 * 1024 * 1024;
// Segments fetched before they are decoded: one, decoded into the sound queue at once, so the
// queue (which holds a segment and kSegmentMarginMs more) plays while the next one is fetched.
inline constexpr size_t kSegmentsAhead = 1;
inline constexpr uint32_t kSegmentMarginMs = 3000;

// Whether an #EXTINF title is worth showing: not empty, not a number, not "no desc".
bool IsShowableExtinfTitle(std::string_view title);

class HlsPlayback {
public:
    HlsPlayback(HttpTransport& transport, MediaFeed& feed) : transport_(transport), feed_(feed) {}

    // Plays the playlist that was fetched from finalUrl until the feed is abandoned, an
    // on-demand list ends, or a failure ends the connection.
    SourceResult Run(const HlsPlaylist& playlist, const std::string& finalUrl);

private:
    struct Segment {
        HlsSegmentJob job;
        std::vector<uint8_t> bytes;
    };

    static uint64_t NowMs();
    StopAsked Stopped() const;
    void ReserveQueue();
    bool LoadMediaPlaylist(const std::string& url, Failure& failure);
    bool ReloadIfDue(Failure& failure);
    bool Feed(std::span<const uint8_t> audio, Failure& failure);
    bool FollowUnderruns(Failure& failure);
    // Fills the segment buffer. Nullopt to go on; a result to end the connection.
    std::optional<SourceResult> FetchAhead(std::deque<Segment>& buffer);
    bool DecodeSegment(Segment& segment, Failure& failure);
    bool DecodeTransportStream(const std::vector<uint8_t>& bytes, Failure& failure);
    bool PrepareInit(const HlsMap& map, Failure& failure);
    std::optional<std::array<uint8_t, 16>> KeyFor(const std::string& uri, Failure& failure);
    void MarkDueTitles(std::optional<uint64_t> audioPts);

    HttpTransport& transport_;
    MediaFeed& feed_;
    std::optional<HlsVariantSelector> selector_;
    HlsMediaFollower follower_;
    std::string mediaUrl_;
    uint64_t underrunsSeen_ = 0;
    bool ended_ = false;
    bool resetNext_ = false;  // a skipped segment: the next one starts a new stream
    std::map<std::string, std::array<uint8_t, 16>> keys_;
    std::optional<HlsMap> init_;
    std::optional<Mp4AudioTrack> track_;
    MpegTsDemuxer ts_;
    std::vector<std::pair<std::optional<uint64_t>, std::string>> pendingTitles_;  // ID3 titles by time
};

}  // namespace zarvio::stream
