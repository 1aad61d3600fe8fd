#include "player/stream/session/stream_session.h"

#include <objbase.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/com_support.h"
#include "platform/text.h"
#include "player/stream/formats/content_sniff.h"
#include "player/stream/session/failure_text.h"
#include "player/stream/source/hls/hls_playback.h"
#include "player/stream/transport/http_fetch.h"
#include "player/stream/lists/station_list_walker.h"
#include "player/stream/session/reconnect_policy.h"
#include "player/stream/source/progressive_source.h"

namespace zarvio::stream {
namespace {

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
      parts_(parts), decoding_(queue_, parts_.decoder, abandoned_) {
    // A state goes into the box under the lock that decided it: the worker's and the output's
    // changes arrive in the order they happened.
    state_.SetPublisher([this](PlayState state) {
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
    notices_->Post(Notice{kind, generation_, kPlayStateUndefined, std::move(text)});
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
    decoding_.ReleaseDecoder();  // inside the apartment it was made in
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
    decoding_.StartConnection();

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
        outcome.played = decoding_.Played();
        return outcome;
    }
    result = kind == ContentKind::MpegTs ? PlayTransportStream(*body, response, std::move(first), *this)
                                         : PlayProgressive(*body, response, std::move(first), *this);
    outcome.played = decoding_.Played();
    return outcome;
}

void StreamSession::MarkTitle(const std::string& utf8) { queue_.PushTitle(DecodeTitle(utf8)); }

void StreamSession::ReserveSoundMs(uint32_t ms) { queue_.ReserveMs(ms); }

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
