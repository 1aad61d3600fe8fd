#include "player/stream/source/hls/hls_playback.h"

#include <algorithm>
#include <cctype>

#include "player/stream/base/ascii.h"
#include "player/stream/source/hls/aes_decrypt.h"
#include "player/stream/transport/http_fetch.h"
#include "player/stream/formats/id3.h"
#include "player/stream/formats/packed_audio.h"
#include "player/stream/formats/segment_format.h"

namespace zarvio::stream {
namespace {

constexpr uint32_t kIdleWaitMs = 100;  // how often a wait for the next reload looks up

SourceResult Failed(const Failure& failure) { return {SourceEnd::Failed, failure}; }

}  // namespace

bool IsShowableExtinfTitle(std::string_view title) {
    const std::string_view t = TrimAscii(title);
    if (t.empty()) return false;
    if (EqualsNoCase(t, "no desc")) return false;
    const bool number = std::all_of(t.begin(), t.end(), [](unsigned char c) {
        return std::isdigit(c) || c == '.' || c == '-' || c == '+' || c == ',';
    });
    return !number;
}

uint64_t HlsPlayback::NowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

SourceResult HlsPlayback::Run(const HlsPlaylist& playlist, const std::string& finalUrl) {
    Failure failure;
    if (playlist.isMaster) {
        selector_.emplace(playlist.master);
        mediaUrl_ = selector_->Current().playlistUrl;
        if (!LoadMediaPlaylist(mediaUrl_, failure)) return Failed(failure);
    } else {
        mediaUrl_ = finalUrl;
        follower_.OnPlaylist(playlist.media, NowMs());
        ReserveQueue();
    }
    feed_.Connected();
    std::deque<Segment> buffer;
    while (!feed_.Abandoned()) {
        if (!FollowUnderruns(failure)) return Failed(failure);
        if (!ReloadIfDue(failure)) return Failed(failure);
        const std::optional<uint64_t> due = follower_.ReloadDueMs();
        if (auto end = FetchAhead(buffer)) return *end;
        if (!buffer.empty()) {
            Segment segment = std::move(buffer.front());
            buffer.pop_front();
            if (!DecodeSegment(segment, failure)) {
                if (feed_.Abandoned()) break;
                return Failed(failure);
            }
            continue;
        }
        if (ended_) {
            if (!feed_.EndOfAudio(failure)) return feed_.Abandoned() ? SourceResult{SourceEnd::Abandoned, {}} : Failed(failure);
            return {SourceEnd::Finished, {}};
        }
        // Nothing to fetch until the playlist is loaded again: a wait, not a stall.
        const uint64_t now = NowMs();
        const uint64_t wait = due && *due > now ? std::min<uint64_t>(*due - now, kIdleWaitMs) : kIdleWaitMs;
        feed_.Sleep(static_cast<uint32_t>(wait));
    }
    return {SourceEnd::Abandoned, {}};
}

StopAsked HlsPlayback::Stopped() const {
    return [&feed = feed_] { return feed.Abandoned(); };
}

// The next segment is fetched while the queue plays the one before: the queue holds a whole
// segment and the margin a fetch may take.
void HlsPlayback::ReserveQueue() {
    const double target = std::clamp(follower_.TargetDurationSeconds(), 0.0, 60.0);
    feed_.ReserveSoundMs(static_cast<uint32_t>(target * 1000) + kSegmentMarginMs);
}

bool HlsPlayback::ReloadIfDue(Failure& failure) {
    const std::optional<uint64_t> due = follower_.ReloadDueMs();
    return !due || NowMs() < *due || LoadMediaPlaylist(mediaUrl_, failure);
}

// Hands audio to the feed in slices. The feed waits while the sound queue is full, which is
// most of the time on a live stream; between slices the playlist is reloaded when it is due,
// so the reloads keep to the target duration whatever a segment's length.
bool HlsPlayback::Feed(std::span<const uint8_t> audio, Failure& failure) {
    constexpr size_t kSlice = 4096;  // a quarter of a second of 128 kbit/s audio
    for (size_t at = 0; at < audio.size(); at += kSlice) {
        if (!feed_.FeedAudio(audio.subspan(at, std::min(kSlice, audio.size() - at)), failure)) return false;
        if (!ReloadIfDue(failure)) return false;
    }
    return true;
}

bool HlsPlayback::LoadMediaPlaylist(const std::string& url, Failure& failure) {
    const uint64_t sent = NowMs();
    auto fetched = FetchWhole(transport_, url, std::nullopt, std::nullopt, kMaxPlaylistBytes, failure, Stopped());
    if (!fetched) {
        if (failure.cause == FailureCause::Unsupported) failure = Failure{FailureCause::BadPlaylist, 0};
        return false;
    }
    const std::string_view text(reinterpret_cast<const char*>(fetched->bytes.data()), fetched->bytes.size());
    auto parsed = ParseHlsPlaylist(text, fetched->finalUrl);
    if (!parsed || parsed->isMaster) {
        failure = Failure{FailureCause::BadPlaylist, 0};
        return false;
    }
    follower_.OnPlaylist(parsed->media, sent);
    ReserveQueue();
    return true;
}

bool HlsPlayback::FollowUnderruns(Failure& failure) {
    const uint64_t underruns = feed_.Underruns();
    for (; underrunsSeen_ < underruns; ++underrunsSeen_) {
        if (!selector_ || !selector_->OnUnderrun(NowMs())) continue;
        // Too many dropouts on this variant: a smaller one, from the same point on.
        follower_.OnVariantSwitch();
        mediaUrl_ = selector_->Current().playlistUrl;
        if (!LoadMediaPlaylist(mediaUrl_, failure)) return false;
    }
    return true;
}

std::optional<SourceResult> HlsPlayback::FetchAhead(std::deque<Segment>& buffer) {
    while (!ended_ && buffer.size() < kSegmentsAhead && !feed_.Abandoned()) {
        HlsNext next = follower_.Next();
        if (next.kind == HlsNextKind::Unsupported) return Failed(Failure{FailureCause::Unsupported, 0});
        if (next.kind == HlsNextKind::Ended) {
            ended_ = true;
            break;
        }
        if (next.kind == HlsNextKind::WaitForReload) break;
        Segment segment{std::move(next.job), {}};
        for (;;) {
            Failure failure;
            const auto& job = segment.job;
            std::optional<uint64_t> offset, length;
            if (job.range) {
                offset = job.range->offset;
                length = job.range->length;
            }
            auto fetched = FetchWhole(transport_, job.uri, offset, length, kMaxSegmentBytes, failure, Stopped());
            if (fetched) {
                segment.bytes = std::move(fetched->bytes);
                if (resetNext_) segment.job.resetDecoder = true;
                resetNext_ = false;
                buffer.push_back(std::move(segment));
                break;
            }
            if (feed_.Abandoned()) return SourceResult{SourceEnd::Abandoned, {}};
            if (!follower_.ShouldRetry(job.sequence)) {
                resetNext_ = true;  // skipped: what follows does not continue it
                break;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::array<uint8_t, 16>> HlsPlayback::KeyFor(const std::string& uri, Failure& failure) {
    if (auto k = keys_.find(uri); k != keys_.end()) return k->second;
    auto fetched = FetchWhole(transport_, uri, std::nullopt, std::nullopt, 1024, failure, Stopped());
    if (!fetched) return std::nullopt;
    if (fetched->bytes.size() != 16) {
        failure = Failure{FailureCause::Unsupported, 0};
        return std::nullopt;
    }
    std::array<uint8_t, 16> key{};
    std::copy(fetched->bytes.begin(), fetched->bytes.end(), key.begin());
    keys_[uri] = key;
    return key;
}

bool HlsPlayback::PrepareInit(const HlsMap& map, Failure& failure) {
    if (init_ && *init_ == map && track_) return true;
    std::optional<uint64_t> offset, length;
    if (map.range) {
        offset = map.range->offset;
        length = map.range->length;
    }
    auto fetched = FetchWhole(transport_, map.uri, offset, length, kMaxSegmentBytes, failure, Stopped());
    if (!fetched) return false;
    const Mp4InitResult init = ReadMp4Init(fetched->bytes);
    if (init.status != Mp4Status::Ok) {
        failure = Failure{init.status == Mp4Status::Unsupported ? FailureCause::Unsupported : FailureCause::Undecodable, 0};
        return false;
    }
    init_ = map;
    track_ = init.track;
    return true;
}

void HlsPlayback::MarkDueTitles(std::optional<uint64_t> audioPts) {
    auto due = [&](const std::pair<std::optional<uint64_t>, std::string>& t) {
        return !t.first || !audioPts || *t.first <= *audioPts;
    };
    for (const auto& t : pendingTitles_)
        if (due(t)) feed_.MarkTitle(t.second);
    std::erase_if(pendingTitles_, due);
}

bool HlsPlayback::DecodeTransportStream(const std::vector<uint8_t>& bytes, Failure& failure) {
    std::vector<TsPayload> payloads;
    ts_.Push(bytes, payloads);
    ts_.Flush(payloads);
    if (ts_.State() == TsStreamState::Unsupported) {
        failure = Failure{FailureCause::Unsupported, 0};
        return false;
    }
    for (const TsPayload& p : payloads) {
        if (p.kind == TsPayload::Kind::Id3) {
            if (auto tag = ParseId3Tag(p.bytes))
                if (auto title = DisplayTitleOf(*tag)) pendingTitles_.emplace_back(p.pts90k, *title);
            continue;
        }
        MarkDueTitles(p.pts90k);
        if (!Feed(p.bytes, failure)) return false;
    }
    return true;
}

bool HlsPlayback::DecodeSegment(Segment& segment, Failure& failure) {
    const HlsSegmentJob& job = segment.job;
    std::vector<uint8_t> bytes = std::move(segment.bytes);
    if (job.encrypted) {
        auto key = KeyFor(job.keyUri, failure);
        if (!key) return false;
        auto plain = DecryptAes128Cbc(*key, job.iv, bytes);
        if (!plain) {
            resetNext_ = true;  // a wrong key or a cut segment: skipped like a missing one
            return true;
        }
        bytes = std::move(*plain);
    }
    if (job.resetDecoder) {
        if (!feed_.EndOfAudio(failure)) return false;
        feed_.ResetDecoding();
        ts_.Reset();
        pendingTitles_.clear();
    }
    if (job.map && !PrepareInit(*job.map, failure)) return false;
    if (IsShowableExtinfTitle(job.title)) feed_.MarkTitle(std::string(TrimAscii(job.title)));

    const SegmentFormat format = job.map ? SegmentFormat::FragmentedMp4 : SniffSegment(bytes);
    switch (format) {
        case SegmentFormat::TransportStream:
            return DecodeTransportStream(bytes, failure);
        case SegmentFormat::FragmentedMp4: {
            if (!track_) {
                failure = Failure{FailureCause::Undecodable, 0};
                return false;
            }
            const Mp4FragmentResult fragments = ReadMp4Fragments(bytes, *track_);
            std::vector<uint8_t> audio;
            AppendElementaryStream(bytes, *track_, fragments.samples, audio);
            return Feed(audio, failure);
        }
        case SegmentFormat::PackedAudio: {
            const PackedAudioSegment packed = SplitPackedAudio(bytes);
            if (auto title = DisplayTitleOf(packed.tag)) feed_.MarkTitle(*title);
            return Feed(packed.audio, failure);
        }
        default:
            return Feed(bytes, failure);  // the framer finds the audio, if any
    }
}

}  // namespace zarvio::stream
