#include "player/stream/source/hls/hls_model.h"

#include <algorithm>
#include <cmath>

#include "player/stream/base/ascii.h"
#include "player/stream/source/hls/hls_crypto.h"

namespace zarvio::stream {
namespace {

// The sample-entry names of video codecs as CODECS writes them (RFC 6381).
constexpr std::string_view kVideoCodecs[] = {"avc1", "avc3", "hvc1", "hev1", "vp08", "vp09", "vp8", "vp9",
                                             "av01", "mp4v", "dvh1", "dvhe", "dva1", "dvav"};

bool IsVideoCodec(std::string_view codec) {
    const std::string_view name = codec.substr(0, codec.find('.'));
    for (std::string_view v : kVideoCodecs) {
        if (EqualsNoCase(name, v)) return true;
    }
    return false;
}

uint64_t Milliseconds(double seconds) {
    return seconds >= 1e12 ? uint64_t{1000000000000000} : static_cast<uint64_t>(std::llround(seconds * 1000));
}

}  // namespace

bool IsAudioOnlyCodecs(std::string_view codecs) {
    bool any = false;
    while (!codecs.empty()) {
        const size_t comma = codecs.find(',');
        const std::string_view codec = TrimAscii(codecs.substr(0, comma));
        if (IsVideoCodec(codec)) return false;
        any = any || !codec.empty();
        codecs = comma == std::string_view::npos ? std::string_view() : codecs.substr(comma + 1);
    }
    return any;
}

HlsVariantSelector::HlsVariantSelector(const MasterPlaylist& master) {
    bool anyAudioOnly = false;
    for (const HlsVariant& v : master.variants) anyAudioOnly = anyAudioOnly || IsAudioOnlyCodecs(v.codecs);
    std::vector<size_t> candidates;
    for (size_t i = 0; i < master.variants.size(); ++i) {
        if (!anyAudioOnly || IsAudioOnlyCodecs(master.variants[i].codecs)) candidates.push_back(i);
    }
    std::stable_sort(candidates.begin(), candidates.end(), [&](size_t a, size_t b) {
        return master.variants[a].bandwidth < master.variants[b].bandwidth;
    });
    for (size_t i : candidates) {
        const HlsVariant& v = master.variants[i];
        const HlsRendition* chosen = nullptr;
        if (!v.audioGroup.empty()) {
            for (const HlsRendition& r : master.renditions) {
                if (r.type != "AUDIO" || r.groupId != v.audioGroup) continue;
                if (!chosen) chosen = &r;
                if (r.isDefault) {
                    chosen = &r;
                    break;
                }
            }
        }
        ladder_.push_back({i, chosen && !chosen->uri.empty() ? chosen->uri : v.uri});
    }
    if (ladder_.empty()) ladder_.push_back({});  // no variant: an empty address, which fails to load
    current_ = 0;
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (master.variants[candidates[i]].bandwidth <= kPreferredMaxBandwidth) current_ = i;
    }
}

bool HlsVariantSelector::OnUnderrun(uint64_t nowMs) {
    underruns_.push_back(nowMs);
    while (!underruns_.empty() && nowMs - underruns_.front() >= kUnderrunWindowMs) underruns_.pop_front();
    if (underruns_.size() < static_cast<size_t>(kUnderrunsBeforeStepDown) || current_ == 0) return false;
    --current_;
    underruns_.clear();  // the lower variant gets its own minute
    return true;
}

void HlsMediaFollower::Start() {
    const auto& segments = playlist_.segments;
    size_t index = 0;
    if (!playlist_.endList) {
        // The latest segment from which at least three target durations remain to the end.
        const double wanted = kLiveStartTargetDurations * playlist_.targetDuration;
        double remaining = 0;
        for (size_t i = segments.size(); i-- > 0;) {
            remaining += segments[i].duration;
            if (remaining >= wanted) {
                index = i;
                break;
            }
        }
    }
    next_ = playlist_.mediaSequence + index;
    pendingReset_ = true;
}

void HlsMediaFollower::OnPlaylist(const MediaPlaylist& playlist, uint64_t nowMs) {
    const bool hadSegments = loaded_ && !playlist_.segments.empty();
    const uint64_t oldEnd = playlist_.mediaSequence + playlist_.segments.size();
    const uint64_t oldDiscontinuity = playlist_.discontinuitySequence;
    playlist_ = playlist;
    loaded_ = true;
    const uint64_t newEnd = playlist_.mediaSequence + playlist_.segments.size();
    const bool brought = !playlist_.segments.empty() && (!hadSegments || newEnd > oldEnd);

    if (!next_) {
        if (!playlist_.segments.empty()) Start();
    } else if (!playlist_.segments.empty()) {
        // A list whose end lies more than a window behind what was handed out, or whose
        // discontinuity numbers went back, is the stream starting over (a restarted encoder),
        // not a stale copy of the last one: begin again as with a first load.
        const bool farBehind = *next_ > newEnd && *next_ - newEnd > playlist_.segments.size();
        if (farBehind || (hadSegments && playlist_.discontinuitySequence < oldDiscontinuity)) Start();
    }

    if (playlist_.endList) {
        reloadDue_.reset();
    } else {
        const uint64_t target = Milliseconds(playlist_.targetDuration);
        reloadDue_ = nowMs + std::max(brought ? target : target / 2, kMinReloadMs);
    }
}

std::optional<uint64_t> HlsMediaFollower::ReloadDueMs() const { return reloadDue_; }

HlsNext HlsMediaFollower::Next() {
    HlsNext out;
    if (!next_) return out;  // nothing loaded yet, or an empty live window
    if (*next_ < playlist_.mediaSequence) {
        skipped_ += playlist_.mediaSequence - *next_;
        next_ = playlist_.mediaSequence;
        pendingReset_ = true;
    }
    const uint64_t index = *next_ - playlist_.mediaSequence;
    if (index >= playlist_.segments.size()) {
        if (playlist_.endList) out.kind = HlsNextKind::Ended;
        return out;
    }
    const HlsSegment& s = playlist_.segments[index];
    HlsSegmentJob& job = out.job;
    if (s.key >= 0) {
        const HlsKey& key = playlist_.keys[s.key];
        if (key.method == KeyMethod::SampleAes) {
            out.kind = HlsNextKind::Unsupported;
            out.reason = "SAMPLE-AES encryption";
            return out;
        }
        if (key.method != KeyMethod::Aes128) {
            out.kind = HlsNextKind::Unsupported;
            out.reason = "an unknown encryption method";
            return out;
        }
        if (key.keyFormat != "identity") {
            out.kind = HlsNextKind::Unsupported;
            out.reason = "key format " + key.keyFormat;
            return out;
        }
        job.encrypted = true;
        job.keyUri = key.uri;
        job.iv = key.iv ? *key.iv : IvFromSequenceNumber(s.sequence);
    }
    if (s.map >= 0) job.map = playlist_.maps[s.map];
    job.uri = s.uri;
    job.range = s.range;
    job.sequence = s.sequence;
    job.duration = s.duration;
    job.title = s.title;
    job.resetDecoder = pendingReset_ || s.discontinuity || s.discontinuitySequence != lastDiscontinuity_ ||
                       job.map != lastMap_;
    out.kind = HlsNextKind::Fetch;
    pendingReset_ = false;
    lastDiscontinuity_ = s.discontinuitySequence;
    lastMap_ = job.map;
    ++*next_;
    return out;
}

bool HlsMediaFollower::ShouldRetry(uint64_t sequence) {
    if (std::find(retried_.begin(), retried_.end(), sequence) != retried_.end()) return false;
    retried_.push_back(sequence);
    if (retried_.size() > 16) retried_.pop_front();
    return true;
}

}  // namespace zarvio::stream
