// The decisions of HLS playback, apart from fetching: which variant to play, which segment
// comes next, when to reload a live playlist, what a segment needs before it can be decoded
// (its initialisation section, its key). The engine's worker fetches what the model names and
// reports back; the model never waits and owns no connection.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "player/stream/source/hls/hls_playlist.h"

namespace zarvio::stream {

// ---- Variant choice -------------------------------------------------------------------------

inline constexpr uint64_t kPreferredMaxBandwidth = 256000;  // bits per second
inline constexpr int kUnderrunsBeforeStepDown = 3;
inline constexpr uint64_t kUnderrunWindowMs = 60000;

// Whether a CODECS attribute names codecs and none of them is video (avc1, hvc1, vp09, ...).
bool IsAudioOnlyCodecs(std::string_view codecs);

struct HlsStreamChoice {
    size_t variant = 0;       // index into MasterPlaylist::variants
    std::string playlistUrl;  // the media playlist to load: the audio rendition's or the variant's
};

// Chooses among a master playlist's variants. Audio-only ones (by CODECS) are preferred when
// there are any; among those, the highest BANDWIDTH up to kPreferredMaxBandwidth, else the
// lowest. A variant whose AUDIO group has a rendition with its own playlist (the DEFAULT=YES
// one, else the group's first) plays that playlist instead of its own.
class HlsVariantSelector {
public:
    // master has at least one variant (the playlist reader refuses masters without).
    explicit HlsVariantSelector(const MasterPlaylist& master);

    const HlsStreamChoice& Current() const { return ladder_[current_]; }

    // An underrun at nowMs (any clock in milliseconds that does not go back). On the
    // kUnderrunsBeforeStepDown-th within kUnderrunWindowMs, steps one variant down when there is
    // one and returns true: load Current()'s playlist and tell the follower (OnVariantSwitch).
    bool OnUnderrun(uint64_t nowMs);

private:
    std::vector<HlsStreamChoice> ladder_;  // the candidates, lowest bandwidth first
    size_t current_ = 0;
    std::deque<uint64_t> underruns_;
};

// ---- Following a media playlist -------------------------------------------------------------

inline constexpr int kLiveStartTargetDurations = 3;
inline constexpr uint64_t kMinReloadMs = 500;

// One segment to fetch and what the decoder needs for it.
struct HlsSegmentJob {
    std::string uri;
    std::optional<ByteRange> range;  // fetch only these bytes (a Range request)
    uint64_t sequence = 0;
    double duration = 0;             // seconds
    std::string title;               // the EXTINF title, as given
    // Reset the demuxer and decoder before this segment's bytes: the first segment, a
    // discontinuity, a gap in the sequence, a switch of variant, another initialisation section.
    bool resetDecoder = false;
    std::optional<HlsMap> map;       // the initialisation section it needs; the engine keeps the
                                     // last one fetched and fetches again only when it differs
    bool encrypted = false;          // AES-128 CBC with PKCS#7 padding over the whole segment
    std::string keyUri;              // when encrypted; key bytes are cached per URI by the engine
    std::array<uint8_t, 16> iv{};    // when encrypted: the playlist's, or the sequence number
};

enum class HlsNextKind {
    Fetch,          // fetch job
    WaitForReload,  // nothing to fetch before the playlist is loaded again (at ReloadDueMs)
    Ended,          // an on-demand playlist has been handed out to its last segment
    Unsupported,    // the next segment is encrypted in a way this player cannot decrypt: a final failure
};

struct HlsNext {
    HlsNextKind kind = HlsNextKind::WaitForReload;
    HlsSegmentJob job;   // with Fetch
    std::string reason;  // with Unsupported, a few words for the log
};

// Walks the segments of one media playlist across its reloads. A live playlist starts
// kLiveStartTargetDurations target durations from its end; one with EXT-X-ENDLIST at its first
// segment. After a reload the media sequence numbers say where to go on, so no segment is
// handed out twice; segments that slid out of the window before they were fetched are skipped,
// with a decoder reset.
class HlsMediaFollower {
public:
    // A playlist just loaded; nowMs is when its request was sent.
    void OnPlaylist(const MediaPlaylist& playlist, uint64_t nowMs);

    // What to do now. Each Fetch hands out the next segment once (call again to fetch ahead).
    HlsNext Next();

    // When the playlist should be loaded again (the clock of OnPlaylist): one target duration
    // after a load that brought new segments, half of one after a load that did not, never
    // sooner than kMinReloadMs. Nullopt before the first playlist and after EXT-X-ENDLIST.
    std::optional<uint64_t> ReloadDueMs() const;

    // The next playlist given will be another variant's: going on at the same sequence number,
    // with a decoder reset.
    void OnVariantSwitch() { pendingReset_ = true; }

    // A segment could not be fetched whole (a drop, a truncated body, an error status). True:
    // fetch it once more. False when it has been tried again already: skip it, and reset the
    // decoder before the next segment's bytes.
    bool ShouldRetry(uint64_t sequence);

    // The last playlist's target duration in seconds (0 before the first): the engine sizes
    // its segment buffer and stall allowances by it.
    double TargetDurationSeconds() const { return playlist_.targetDuration; }

    // Segments skipped because they left the live window before they were fetched.
    uint64_t SkippedSegments() const { return skipped_; }

private:
    void Start();

    MediaPlaylist playlist_;
    bool loaded_ = false;
    std::optional<uint64_t> next_;            // the sequence number to hand out next
    std::optional<uint64_t> lastDiscontinuity_;  // of the last segment handed out
    std::optional<HlsMap> lastMap_;              // of the last segment handed out
    bool pendingReset_ = true;
    std::optional<uint64_t> reloadDue_;
    uint64_t skipped_ = 0;
    std::deque<uint64_t> retried_;
};

}  // namespace zarvio::stream
