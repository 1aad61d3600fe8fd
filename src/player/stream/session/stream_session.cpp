#include "player/stream/session/stream_session.h"

#include <objbase.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/com_support.h"
#include "platform/text.h"
#include "player/stream/formats/audio_framer.h"
#include "player/stream/formats/content_sniff.h"
#include "player/stream/session/failure_text.h"
#include "player/stream/source/hls/hls_playback.h"
#include "player/stream/transport/http_fetch.h"
#include "player/stream/formats/icy_metadata.h"
#include "player/stream/formats/mpeg_ts_demuxer.h"
#include "player/stream/lists/station_list_walker.h"

namespace zarvio::stream {
namespace {

constexpr size_t kReadSize = 16 * 1024;
// ICY metadata is split from the audio in slices of this size, so a title is marked within
// about 60 ms of audio of where the server put it.
constexpr size_t kIcySlice = 1024;
// Bytes without a single frame after which the content is taken for something no decoder takes.
constexpr uint64_t kNoiseLimit = 256 * 1024;
// First bytes enough to tell what an answer holds (up to kSniffBytes are looked at).
constexpr size_t kSniffMinimum = 1024;

// Titles are UTF-8 where they are valid UTF-8, else in the system's code page (GBK servers).
std::wstring DecodeTitle(const std::string& raw) { return IsValidUtf8(raw) ? FromUtf8(raw) : FromAnsi(raw); }

}  // namespace

std::shared_ptr<StreamSession> StreamSession::Start(std::wstring url, uint64_t generation,
                                                    std::shared_ptr<NoticeBox> notices,
                                                    std::shared_ptr<const std::atomic<int>> volume,
                                                    const StreamParts& parts) {
    auto session = std::make_shared<StreamSession>(std::move(url), generation, std::move(notices),
                                                   std::move(volume), parts);
    try {
        // Each thread keeps the session alive until it ends by itself; nobody joins them.
        std::thread([session] { session->RunConnections(); }).detach();
        std::thread([session] { session->RunOutput(); }).detach();
    } catch (const std::system_error&) {
        // No thread to be had: say so (before abandoning, which silences the session).
        session->EndWithFailure(Failure{FailureCause::Other, 0});
    }
    return session;
}

StreamSession::StreamSession(std::wstring url, uint64_t generation, std::shared_ptr<NoticeBox> notices,
                             std::shared_ptr<const std::atomic<int>> volume, const StreamParts& parts)
    : url_(std::move(url)), generation_(generation), notices_(std::move(notices)), volume_(std::move(volume)),
      parts_(parts) {
    // A state goes into the box under the lock that decided it: the worker's and the output's
    // changes arrive in the order they happened.
    state_.SetPublisher([this](int state) {
        if (!abandoned_) notices_->Post(Notice{Notice::Kind::State, generation_, state, {}});
    });
}

StreamSession::~StreamSession() = default;

void StreamSession::Abandon() {
    abandoned_ = true;
    queue_.Close();
    {
        // The worker may wait on the network: its requests are closed under it.
        std::lock_guard lock(transportMutex_);
        if (transport_) transport_->Cancel();
    }
    std::lock_guard lock(waitMutex_);
    waitWake_.notify_all();
}

void StreamSession::ReconnectNow() {
    std::lock_guard lock(waitMutex_);
    reconnectNow_ = true;
    waitWake_.notify_all();
}

void StreamSession::PostText(Notice::Kind kind, std::wstring text) {
    if (abandoned_) return;
    notices_->Post(Notice{kind, generation_, 0, std::move(text)});
}

void StreamSession::EndWithFailure(const Failure& failure) {
    PostText(Notice::Kind::Failure, FailureText(failure));
    state_.Failed();
    Abandon();  // nothing more comes: the output stops with what it has
}

void StreamSession::RunConnections() {
    // The decoders are COM objects; this worker is their apartment.
    ComApartment apartment(COINIT_MULTITHREADED);
    std::shared_ptr<HttpTransport> transport = parts_.transport();
    {
        std::lock_guard lock(transportMutex_);
        transport_ = transport;
        if (abandoned_ && transport) transport->Cancel();
    }
    ReconnectBackoff backoff;
    StationListWalker list;  // when the address is a station list: which entry plays
    std::wstring address = url_;
    while (!abandoned_) {
        state_.AttemptStarted();
        Outcome outcome = RunConnection(*transport, address);
        const SourceResult& r = outcome.result;
        if (abandoned_ || r.end == SourceEnd::Abandoned) break;
        if (r.end == SourceEnd::Finished) {
            queue_.PushEnd();  // the output reports the end once it is heard
            break;
        }
        if (r.end == SourceEnd::HandOver) {
            PostText(Notice::Kind::HandOver, address);
            break;
        }
        if (!outcome.listUrl.empty()) {
            // A station list: its entries are tried in turn, at once.
            if (!list.EnterList(ToUtf8(address), outcome.listUrl, std::move(outcome.list))) {
                EndWithFailure(Failure{FailureCause::BadPlaylist, 0});
                break;
            }
            address = FromUtf8(list.CurrentAddress());
            continue;
        }
        if (outcome.played) {
            backoff.Reset();
            if (list.Depth() > 0) list.OnPlaying();
        }
        bool wait = true;
        if (list.Depth() > 0) {
            const ListStep step = list.OnFailure(IsFinal(r.failure));
            wait = step != ListStep::TryNext;
            address = FromUtf8(list.CurrentAddress());
        } else if (IsFinal(r.failure)) {
            EndWithFailure(r.failure);
            break;
        }
        state_.Disconnected();
        if (wait) WaitBeforeReconnect(backoff.NextDelayMs());
    }
    decoder_.reset();  // inside the apartment it was made in
    std::lock_guard lock(transportMutex_);
    transport_.reset();
}

void StreamSession::WaitBeforeReconnect(uint32_t requestedMs) {
    const uint32_t ms = parts_.reconnectWait ? parts_.reconnectWait(requestedMs) : requestedMs;
    std::unique_lock lock(waitMutex_);
    waitWake_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return abandoned_.load() || reconnectNow_; });
    reconnectNow_ = false;
}

bool StreamSession::Sleep(uint32_t ms) {
    std::unique_lock lock(waitMutex_);
    waitWake_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return abandoned_.load(); });
    return !abandoned_;
}

StreamSession::Outcome StreamSession::RunConnection(HttpTransport& transport, const std::wstring& url) {
    Outcome outcome;
    SourceResult& result = outcome.result;
    HttpRequest request;
    request.url = url;
    HttpResponse response;
    std::unique_ptr<HttpBody> body = transport.Open(request, response, result.failure);
    if (abandoned_) return {{SourceEnd::Abandoned, {}}, false, {}, {}};
    if (!body) return outcome;
    if (response.status < 200 || response.status > 299) {
        result.failure = Failure{FailureCause::HttpStatus, response.status};
        return outcome;
    }
    played_ = false;
    framesFound_ = false;
    framer_.Reset();
    // A new connection may bring another codec (a station that moved from MP3 to AAC across
    // a restart, the next entry of a list, a redirect): its first frames choose the decoder.
    decoder_.reset();

    // What the address holds: the first bytes decide over the labels.
    std::vector<uint8_t> first(kSniffBytes);
    size_t have = 0;
    // A kilobyte tells; waiting for more would hold a slow stream's first sound back.
    while (have < kSniffMinimum) {
        const std::optional<size_t> n = body->Read(first.data() + have, first.size() - have, result.failure);
        if (abandoned_) return {{SourceEnd::Abandoned, {}}, false, {}, {}};
        if (!n) return outcome;
        if (*n == 0) break;
        have += *n;
        if (response.icyMetaInt > 0) break;  // an ICY stream is audio; its blocks would confuse the sniffer
    }
    first.resize(have);
    const std::string finalUrl = ToUtf8(response.finalUrl.empty() ? url : response.finalUrl);
    ContentKind kind = SniffContent(first, ToUtf8(response.contentType), finalUrl);
    if (response.icyMetaInt > 0 && kind != ContentKind::WindowsMedia) kind = ContentKind::MpegAudio;
    if (kind == ContentKind::WindowsMedia) return {{SourceEnd::HandOver, {}}, false, {}, {}};

    if (IsPlaylist(kind)) {
        // Playlists are small: read them whole, then look again with all of the text.
        if (!ReadRest(*body, first, kMaxPlaylistBytes, result.failure, [this] { return abandoned_.load(); })) {
            if (abandoned_) return {{SourceEnd::Abandoned, {}}, false, {}, {}};
            if (result.failure.cause == FailureCause::Unsupported) result.failure = Failure{FailureCause::BadPlaylist, 0};
            return outcome;
        }
        body.reset();
        kind = SniffContent(first, ToUtf8(response.contentType), finalUrl);
        const std::string_view text(reinterpret_cast<const char*>(first.data()), first.size());
        if (kind == ContentKind::HlsPlaylist) {
            auto playlist = ParseHlsPlaylist(text, finalUrl);
            if (!playlist) {
                result.failure = Failure{FailureCause::BadPlaylist, 0};
                return outcome;
            }
            HlsPlayback hls(transport, *this);
            result = hls.Run(*playlist, finalUrl);
        } else {
            outcome.list = ParseStationList(text, finalUrl);
            outcome.listUrl = finalUrl;
            result.failure = Failure{FailureCause::BadPlaylist, 0};  // unless the list is walked
        }
        outcome.played = played_;
        return outcome;
    }
    result = kind == ContentKind::MpegTs ? PlayTransportStream(*body, response, std::move(first))
                                         : PlayProgressive(*body, response, std::move(first));
    outcome.played = played_;
    return outcome;
}

// A stream or a file of MPEG audio or ADTS, with ICY metadata where the server sends it.
SourceResult StreamSession::PlayProgressive(HttpBody& body, const HttpResponse& response, std::vector<uint8_t> first) {
    Connected();
    IcySplitter icy(response.icyMetaInt);
    std::vector<uint8_t> buffer = std::move(first);
    uint64_t received = buffer.size();
    std::string audio;
    std::vector<std::string> blocks;
    Failure failure;
    for (;;) {
        for (size_t at = 0; at < buffer.size(); at += kIcySlice) {
            audio.clear();
            blocks.clear();
            const size_t len = std::min(kIcySlice, buffer.size() - at);
            icy.Feed(std::span<const uint8_t>(buffer.data() + at, len), audio, blocks);
            const auto* bytes = reinterpret_cast<const uint8_t*>(audio.data());
            if (!FeedAudio(std::span<const uint8_t>(bytes, audio.size()), failure))
                return {abandoned_ ? SourceEnd::Abandoned : SourceEnd::Failed, failure};
            for (const std::string& block : blocks) {
                if (auto title = StreamTitleOf(block)) queue_.PushTitle(DecodeTitle(*title));
            }
        }
        if (abandoned_) return {SourceEnd::Abandoned, {}};
        buffer.resize(kReadSize);
        const std::optional<size_t> n = body.Read(buffer.data(), buffer.size(), failure);
        if (abandoned_) return {SourceEnd::Abandoned, {}};
        if (!n) return {SourceEnd::Failed, failure};
        if (*n == 0) {
            if (response.contentLength && received >= *response.contentLength) {
                if (!EndOfAudio(failure)) return {abandoned_ ? SourceEnd::Abandoned : SourceEnd::Failed, failure};
                return {SourceEnd::Finished, {}};
            }
            return {SourceEnd::Failed, Failure{FailureCause::Dropped, 0}};  // a stream has no end
        }
        received += *n;
        buffer.resize(*n);
    }
}

// A transport stream sent as one long answer: its audio is taken out as it comes.
SourceResult StreamSession::PlayTransportStream(HttpBody& body, const HttpResponse& response,
                                                std::vector<uint8_t> first) {
    Connected();
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
            if (p.kind == TsPayload::Kind::Audio && !FeedAudio(p.bytes, failure))
                return {abandoned_ ? SourceEnd::Abandoned : SourceEnd::Failed, failure};
        }
        buffer.resize(kReadSize);
        const std::optional<size_t> n = body.Read(buffer.data(), buffer.size(), failure);
        if (abandoned_) return {SourceEnd::Abandoned, {}};
        if (!n) return {SourceEnd::Failed, failure};
        if (*n == 0) {
            if (!response.contentLength || received < *response.contentLength)
                return {SourceEnd::Failed, Failure{FailureCause::Dropped, 0}};
            payloads.clear();
            demuxer.Flush(payloads);
            for (const TsPayload& p : payloads)
                if (p.kind == TsPayload::Kind::Audio && !FeedAudio(p.bytes, failure)) return {SourceEnd::Failed, failure};
            if (!EndOfAudio(failure)) return {SourceEnd::Failed, failure};
            return {SourceEnd::Finished, {}};
        }
        received += *n;
        buffer.resize(*n);
    }
}

bool StreamSession::FeedAudio(std::span<const uint8_t> bytes, Failure& failure) {
    if (bytes.empty()) return !abandoned_;
    framer_.Push(bytes);
    while (auto frame = framer_.Next()) {
        if (!DecodeFrame(*frame, failure)) return false;
    }
    if (!framesFound_ && framer_.SkippedBytes() > kNoiseLimit) {
        failure = Failure{FailureCause::Undecodable, 0};
        return false;
    }
    return !abandoned_;
}

bool StreamSession::EndOfAudio(Failure& failure) {
    // The last frame has no header after it to vouch for it.
    if (auto last = framer_.Flush()) return DecodeFrame(*last, failure);
    return !abandoned_;
}

void StreamSession::ResetDecoding() {
    framer_.Reset();
    framesFound_ = false;
    // What follows may have another codec, rate or channel count (an HLS discontinuity): its
    // first frame makes the decoder that fits it.
    decoder_.reset();
}

void StreamSession::MarkTitle(const std::string& utf8) { queue_.PushTitle(DecodeTitle(utf8)); }

void StreamSession::ReserveSoundMs(uint32_t ms) { queue_.ReserveMs(ms); }

bool StreamSession::DecodeFrame(const AudioFrame& frame, Failure& failure) {
    framesFound_ = true;
    if (frame.codec == AudioCodec::Aac && frame.adts.rawBlocks > 1) {
        // Several AAC blocks in one ADTS frame: the decoders take one block per access unit.
        failure = Failure{FailureCause::Unsupported, 0};
        return false;
    }
    // The stream changed its rate, channels or codec mid-way (a programme handed to another
    // encoder): the frames of the new format get a decoder of their own.
    if (frame.newFormat) decoder_.reset();
    if (!decoder_) {
        decoder_ = parts_.decoder(frame);
        if (!decoder_) {
            failure = Failure{FailureCause::NoDecoder, 0};
            return false;
        }
    }
    pcm_.clear();
    PcmFormat format;
    if (!decoder_->Decode(frame, pcm_, format) || pcm_.empty()) return true;  // a damaged frame is dropped
    if (!queue_.Push(format, pcm_)) return false;  // abandoned
    played_ = true;
    return true;
}

void StreamSession::RunOutput() {
    // The device holds 300 ms: a decoder or a busy machine must not keep this thread from
    // refilling it. It sleeps between blocks, so its priority costs nobody anything.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    std::unique_ptr<AudioSink> sink = parts_.sink();
    if (!sink) return;
    OutputPump pump(queue_, *sink, *this, *volume_);
    while (!abandoned_ && pump.Step()) pump.Wait();
    pump.Silence();
}

void StreamSession::OnSoundStarted() {
    state_.SoundStarted();
    if (deviceWasMissing_) {
        // The second line said there was no device; it shows the title again.
        deviceWasMissing_ = false;
        PostText(Notice::Kind::Title, lastTitle_);
    }
}

void StreamSession::OnUnderrun() {
    ++underruns_;
    state_.Underrun();
}

void StreamSession::OnTitleHeard(const std::wstring& title) {
    lastTitle_ = title;
    PostText(Notice::Kind::Title, title);
}

void StreamSession::OnEndHeard() { state_.EndHeard(); }

void StreamSession::OnDeviceMissing() {
    deviceWasMissing_ = true;
    state_.DeviceMissing();
    PostText(Notice::Kind::Failure, kNoSoundDeviceText);
}

}  // namespace zarvio::stream
