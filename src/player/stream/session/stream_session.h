// One playback of one address by the stream player: a worker thread that connects, hands the
// answer to the source its content calls for, and reconnects after a failure that may pass, and
// an output thread that plays the decoded audio. Both hold the session alive; the UI thread
// only starts it and abandons it, and never waits for either thread.
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "player/stream/output/audio_sink.h"
#include "player/stream/output/waveout_sink.h"
#include "player/stream/decode/decoder_factory.h"
#include "player/stream/base/failure.h"
#include "player/stream/session/decoding_feed.h"
#include "player/stream/transport/fallback_transport.h"
#include "player/stream/transport/http_transport.h"
#include "player/stream/source/media_feed.h"
#include "player/stream/session/notice_box.h"
#include "player/stream/output/output_pump.h"
#include "player/stream/output/pcm_queue.h"
#include "player/stream/session/session_state.h"
#include "player/stream/lists/station_playlist.h"

namespace zarvio::stream {

// What a session is built from: the network, the system's decoders, the sound device and the
// reconnect waits. The session makes none of them itself, so each can be another of its kind.
struct StreamParts {
    std::function<std::unique_ptr<HttpTransport>()> transport = CreateStreamTransport;
    std::function<std::unique_ptr<AudioDecoder>(const AudioFrame&)> decoder = CreateAudioDecoder;
    std::function<std::unique_ptr<AudioSink>()> sink = [] { return CreateWaveOutSink(); };
    // Given the wait the reconnect policy asks for, returns the wait to really make. Unset: the
    // requested wait.
    std::function<uint32_t(uint32_t requestedMs)> reconnectWait;
    // How the player's notices wake its window (unset: PostMessageW).
    NoticeBox::Wake wake;
};

class StreamSession final : public std::enable_shared_from_this<StreamSession>,
                            private OutputEvents,
                            private MediaFeed {
public:
    // Starts both threads. The volume is shared with the player, so a change is heard at once.
    static std::shared_ptr<StreamSession> Start(std::wstring url, uint64_t generation,
                                                std::shared_ptr<NoticeBox> notices,
                                                std::shared_ptr<const std::atomic<int>> volume,
                                                const StreamParts& parts);
    ~StreamSession();

    // From the UI thread, returning at once: the output falls silent and closes the device at
    // once; the worker lets go after its current read returns (at most the receive timeout).
    void Abandon();
    // Cuts a reconnect wait short (the computer woke up).
    void ReconnectNow();

    StreamSession(std::wstring url, uint64_t generation, std::shared_ptr<NoticeBox> notices,
                  std::shared_ptr<const std::atomic<int>> volume, const StreamParts& parts);

private:
    struct Outcome {
        SourceResult result;
        bool played = false;  // the connection delivered audio before it ended
        std::vector<StationEntry> list;  // with a station list: its entries
        std::string listUrl;             // and its final address
    };

    void RunConnections();
    Outcome RunConnection(HttpTransport& transport, const std::wstring& url);
    void WaitBeforeReconnect(uint32_t requestedMs);
    void EndWithFailure(const Failure& failure);
    void RunOutput();

    void PostText(Notice::Kind kind, std::wstring text);

    // MediaFeed, on the worker thread.
    bool Abandoned() const override { return abandoned_; }
    void Connected() override { state_.Connected(); }
    bool FeedAudio(std::span<const uint8_t> bytes, Failure& failure) override { return decoding_.Feed(bytes, failure); }
    bool EndOfAudio(Failure& failure) override { return decoding_.End(failure); }
    void ResetDecoding() override { decoding_.Reset(); }
    void MarkTitle(const std::string& utf8) override;
    void ReserveSoundMs(uint32_t ms) override;
    bool Sleep(uint32_t ms) override;
    uint64_t Underruns() const override { return underruns_; }

    // OutputEvents, on the output thread.
    void OnSoundStarted() override;
    void OnUnderrun() override;
    void OnTitleHeard(const std::wstring& title) override;
    void OnEndHeard() override;
    void OnDeviceMissing() override;

    const std::wstring url_;
    const uint64_t generation_;
    const std::shared_ptr<NoticeBox> notices_;
    const std::shared_ptr<const std::atomic<int>> volume_;
    const StreamParts parts_;

    std::atomic<bool> abandoned_{false};
    std::mutex transportMutex_;
    std::shared_ptr<HttpTransport> transport_;  // the worker's, for Abandon to cancel
    std::atomic<uint64_t> underruns_{0};
    PcmQueue queue_;
    SessionState state_;
    // Worker thread only.
    DecodingFeed decoding_;
    std::mutex waitMutex_;
    std::condition_variable waitWake_;
    bool reconnectNow_ = false;
    // Output thread only.
    std::wstring lastTitle_;        // the title heard last
    bool deviceWasMissing_ = false;  // the now-playing line says so until sound starts again
};

}  // namespace zarvio::stream
