#include "player/stream/stream_session.h"

#include <objbase.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/com_support.h"
#include "platform/text.h"
#include "player/stream/audio_framer.h"
#include "player/stream/failure_text.h"
#include "player/stream/icy_metadata.h"

namespace zarvio::stream {
namespace {

constexpr size_t kReadSize = 16 * 1024;
// ICY metadata is split from the audio in slices of this size, so a title is marked within
// about 60 ms of audio of where the server put it.
constexpr size_t kIcySlice = 1024;
// Bytes without a single frame after which the content is taken for something no decoder takes.
constexpr uint64_t kNoiseLimit = 256 * 1024;

// Content that the Windows Media Player component plays and the stream player does not.
bool IsWindowsMediaContent(const std::wstring& contentType) {
    return contentType == L"video/x-ms-asf" || contentType == L"audio/x-ms-wma" ||
           contentType == L"video/x-ms-wmv" || contentType == L"application/vnd.ms-asf" ||
           contentType == L"audio/x-ms-asf";
}

// The ASF header object's GUID, with which every WMA stream begins.
bool StartsLikeAsf(const uint8_t* p, size_t n) {
    static const uint8_t kAsf[] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11};
    return n >= sizeof kAsf && std::equal(kAsf, kAsf + sizeof kAsf, p);
}

std::wstring DecodeTitle(const std::string& raw) {
    if (!IsValidUtf8(raw)) return FromAnsi(raw);
    if (raw.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, raw.data(), static_cast<int>(raw.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, raw.data(), static_cast<int>(raw.size()), out.data(), n);
    return out;
}

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
        session->Abandon();
        session->PostText(Notice::Kind::Failure, FailureText(Failure{FailureCause::Other, 0}));
        session->PostState(10);
    }
    return session;
}

StreamSession::StreamSession(std::wstring url, uint64_t generation, std::shared_ptr<NoticeBox> notices,
                             std::shared_ptr<const std::atomic<int>> volume, const StreamParts& parts)
    : url_(std::move(url)), generation_(generation), notices_(std::move(notices)), volume_(std::move(volume)),
      parts_(parts) {}

StreamSession::~StreamSession() = default;

void StreamSession::Abandon() {
    abandoned_ = true;
    queue_.Close();
    std::lock_guard lock(waitMutex_);
    waitWake_.notify_all();
}

void StreamSession::ReconnectNow() {
    std::lock_guard lock(waitMutex_);
    reconnectNow_ = true;
    waitWake_.notify_all();
}

void StreamSession::PostState(std::optional<int> state) {
    if (!state || abandoned_) return;
    notices_->Post(Notice{Notice::Kind::State, generation_, *state, {}});
}

void StreamSession::PostText(Notice::Kind kind, std::wstring text) {
    if (abandoned_) return;
    notices_->Post(Notice{kind, generation_, 0, std::move(text)});
}

void StreamSession::RunConnections() {
    // The decoders are COM objects; this worker is their apartment.
    ComApartment apartment(COINIT_MULTITHREADED);
    std::unique_ptr<HttpTransport> transport = parts_.transport();
    ReconnectBackoff backoff;
    while (!abandoned_) {
        PostState(state_.AttemptStarted());
        const Outcome outcome = RunConnection(*transport);
        if (abandoned_ || outcome.end == End::Abandoned) break;
        if (outcome.end == End::Finished) {
            queue_.PushEnd();  // the output reports the end once it is heard
            break;
        }
        if (outcome.end == End::HandOver) {
            PostText(Notice::Kind::HandOver, url_);
            break;
        }
        if (IsFinal(outcome.failure)) {
            PostText(Notice::Kind::Failure, FailureText(outcome.failure));
            PostState(10);
            // Nothing more comes: the output stops with what it has.
            abandoned_ = true;
            queue_.Close();
            break;
        }
        if (outcome.played) backoff.Reset();
        PostState(state_.Disconnected());
        WaitBeforeReconnect(backoff.NextDelayMs());
    }
    decoder_.reset();  // inside the apartment it was made in
}

void StreamSession::WaitBeforeReconnect(uint32_t requestedMs) {
    const uint32_t ms = parts_.reconnectWait ? parts_.reconnectWait(requestedMs) : requestedMs;
    std::unique_lock lock(waitMutex_);
    waitWake_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return abandoned_.load() || reconnectNow_; });
    reconnectNow_ = false;
}

StreamSession::Outcome StreamSession::RunConnection(HttpTransport& transport) {
    Outcome outcome;
    HttpRequest request;
    request.url = url_;
    HttpResponse response;
    std::unique_ptr<HttpBody> body = transport.Open(request, response, outcome.failure);
    if (abandoned_) return {End::Abandoned, {}, false};
    if (!body) return outcome;
    if (response.status < 200 || response.status > 299) {
        outcome.failure = Failure{FailureCause::HttpStatus, response.status};
        return outcome;
    }
    if (IsWindowsMediaContent(response.contentType)) return {End::HandOver, {}, false};
    PostState(state_.Connected());

    IcySplitter icy(response.icyMetaInt);
    if (decoder_) decoder_->Reset();
    framer_.Reset();
    framesFound_ = false;
    std::vector<uint8_t> buffer(kReadSize);
    std::string audio;
    std::vector<std::string> blocks;
    uint64_t received = 0;
    for (;;) {
        if (abandoned_) return {End::Abandoned, {}, outcome.played};
        const std::optional<size_t> n = body->Read(buffer.data(), buffer.size(), outcome.failure);
        if (abandoned_) return {End::Abandoned, {}, outcome.played};
        if (!n) return outcome;
        if (*n == 0) {
            if (response.contentLength && received >= *response.contentLength) {
                // A file: its last frame has no header after it to vouch for it.
                if (auto last = framer_.Flush()) DecodeFrame(*last, outcome);
                outcome.end = End::Finished;
            } else {
                outcome.failure = Failure{FailureCause::Dropped, 0};  // a stream has no end
            }
            return outcome;
        }
        if (received == 0 && response.icyMetaInt == 0 && StartsLikeAsf(buffer.data(), *n))
            return {End::HandOver, {}, false};
        received += *n;
        for (size_t at = 0; at < *n; at += kIcySlice) {
            audio.clear();
            blocks.clear();
            const size_t len = std::min(kIcySlice, *n - at);
            icy.Feed(std::span<const uint8_t>(buffer.data() + at, len), audio, blocks);
            if (!DecodeAudio(audio, outcome)) return outcome;
            for (const std::string& block : blocks) {
                if (auto title = StreamTitleOf(block)) queue_.PushTitle(DecodeTitle(*title));
            }
        }
    }
}

// Frames and decodes audio bytes and queues the sound. False when the connection must end.
bool StreamSession::DecodeAudio(const std::string& audio, Outcome& outcome) {
    if (audio.empty()) return true;
    framer_.Push(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(audio.data()), audio.size()));
    while (auto frame = framer_.Next()) {
        if (!DecodeFrame(*frame, outcome)) return false;
    }
    if (!framesFound_ && framer_.SkippedBytes() > kNoiseLimit) {
        outcome.failure = Failure{FailureCause::Undecodable, 0};
        return false;
    }
    return true;
}

bool StreamSession::DecodeFrame(const AudioFrame& frame, Outcome& outcome) {
    framesFound_ = true;
    if (!decoder_) {
        decoder_ = parts_.decoder(frame);
        if (!decoder_) {
            outcome.failure = Failure{FailureCause::NoDecoder, 0};
            return false;
        }
    }
    pcm_.clear();
    PcmFormat format;
    if (!decoder_->Decode(frame, pcm_, format) || pcm_.empty()) return true;  // a damaged frame is dropped
    if (!queue_.Push(format, pcm_)) {
        outcome.end = End::Abandoned;
        return false;
    }
    outcome.played = true;
    return true;
}

void StreamSession::RunOutput() {
    std::unique_ptr<AudioSink> sink = parts_.sink();
    if (!sink) return;
    OutputPump pump(queue_, *sink, *this, *volume_);
    while (!abandoned_ && pump.Step()) pump.Wait();
    pump.Silence();
}

void StreamSession::OnSoundStarted() { PostState(state_.SoundStarted()); }

void StreamSession::OnUnderrun() { PostState(state_.Underrun()); }

void StreamSession::OnTitleHeard(const std::wstring& title) { PostText(Notice::Kind::Title, title); }

void StreamSession::OnEndHeard() {
    PostState(8);
    PostState(1);
}

}  // namespace zarvio::stream
