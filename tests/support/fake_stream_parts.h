// Fakes of the stream player's parts that touch the world: a sound device with a clock the test
// controls, a scripted HTTP transport and a decoder that turns each frame into a known block of
// samples. Thread-safe where the player's threads use them.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include "player/stream/decode/audio_decoder.h"
#include "player/stream/output/audio_sink.h"
#include "player/stream/transport/http_transport.h"

namespace zarvio::test {

// What a fake device heard, shared by the test and every sink the player opens.
struct SinkLog {
    std::mutex mutex;
    std::vector<stream::PcmFormat> opened;  // one per Open
    std::vector<int16_t> samples;           // everything written, in order
    int resets = 0;
    int closes = 0;
    int failWrites = 0;                     // the next n writes fail (a device unplugged)
    bool refuseOpen = false;
    bool hung = false;                      // blocks stop coming back (a driver that hangs)
    bool open = false;
    uint64_t writtenFrames() {
        std::lock_guard l(mutex);
        return opened.empty() ? 0 : samples.size() / static_cast<size_t>(opened.back().channels);
    }
};

// A sound device whose clock is either advanced by the test (speed 0) or follows real time
// times speed. Blocks finish in order as its clock passes their length.
class ClockedSink final : public stream::AudioSink {
public:
    ClockedSink(std::shared_ptr<SinkLog> log, double speed) : log_(std::move(log)), speed_(speed) {}

    bool Open(const stream::PcmFormat& format) override {
        std::lock_guard l(log_->mutex);
        if (log_->refuseOpen) return false;
        log_->opened.push_back(format);
        log_->open = true;
        format_ = format;
        pending_.clear();
        played_ = 0;
        last_ = Now();
        return true;
    }
    void Close() override {
        std::lock_guard l(log_->mutex);
        if (log_->open) ++log_->closes;
        log_->open = false;
        pending_.clear();
    }
    bool IsOpen() const override {
        std::lock_guard l(log_->mutex);
        return log_->open;
    }
    int FreeBlocks() override {
        std::lock_guard l(log_->mutex);
        Reclaim();
        return stream::kSinkBlocks - static_cast<int>(pending_.size());
    }
    bool Write(const int16_t* samples, size_t frames) override {
        std::lock_guard l(log_->mutex);
        if (log_->failWrites > 0) {
            --log_->failWrites;
            return false;
        }
        Reclaim();
        log_->samples.insert(log_->samples.end(), samples, samples + frames * static_cast<size_t>(format_.channels));
        pending_.push_back(frames);
        return true;
    }
    uint64_t PlayedFrames() override {
        std::lock_guard l(log_->mutex);
        Reclaim();
        return played_;
    }
    void Reset() override {
        std::lock_guard l(log_->mutex);
        ++log_->resets;
        pending_.clear();
    }
    void WaitForBlock(uint32_t timeoutMs) override {
        if (speed_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(std::min<uint32_t>(timeoutMs, 5)));
    }

    // Manual clock only.
    void Advance(double ms) {
        std::lock_guard l(log_->mutex);
        manualMs_ += ms;
    }
    size_t PendingBlocks() {
        std::lock_guard l(log_->mutex);
        Reclaim();
        return pending_.size();
    }

private:
    double Now() const {
        if (speed_ <= 0) return manualMs_;
        using namespace std::chrono;
        return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count() * speed_;
    }
    // Finishes the blocks whose time has passed.
    void Reclaim() {
        const double now = Now();
        if (log_->hung) {
            last_ = now;
            return;
        }
        double budget = now - last_;
        while (!pending_.empty()) {
            const double blockMs = pending_.front() * 1000.0 / format_.sampleRate;
            if (budget + 1e-9 < blockMs) break;
            budget -= blockMs;
            played_ += pending_.front();
            pending_.pop_front();
        }
        last_ = pending_.empty() ? now : now - budget;
    }

    std::shared_ptr<SinkLog> log_;
    const double speed_;
    stream::PcmFormat format_;
    std::deque<size_t> pending_;
    uint64_t played_ = 0;
    double last_ = 0;
    double manualMs_ = 0;
};

// One scripted answer of the fake transport.
struct FakeAnswer {
    std::optional<stream::Failure> openFailure;  // no answer at all
    int status = 200;
    std::wstring contentType = L"audio/mpeg";
    std::optional<uint64_t> contentLength;
    size_t icyMetaInt = 0;
    std::string body;
    size_t chunk = 4096;
    uint32_t chunkDelayMs = 0;       // real time between chunks
    enum class Then { End, Drop, Stall } then = Then::End;
    uint32_t stallMs = 3000;         // how long a stall blocks the read before it fails
};

// Answers from a script: the n-th Open gets the n-th answer, the last one repeats.
struct TransportScript {
    std::mutex mutex;
    std::vector<FakeAnswer> answers;
    std::vector<std::wstring> opened;  // the address of each Open
    int opens() {
        std::lock_guard l(mutex);
        return static_cast<int>(opened.size());
    }
};

class ScriptedTransport final : public stream::HttpTransport {
public:
    explicit ScriptedTransport(std::shared_ptr<TransportScript> script) : script_(std::move(script)) {}

    std::unique_ptr<stream::HttpBody> Open(const stream::HttpRequest& request, stream::HttpResponse& response,
                                           stream::Failure& failure) override {
        FakeAnswer a;
        {
            std::lock_guard l(script_->mutex);
            const size_t n = script_->opened.size();
            script_->opened.push_back(request.url);
            if (script_->answers.empty()) {
                failure = {stream::FailureCause::ConnectionRefused, 0};
                return nullptr;
            }
            a = script_->answers[std::min(n, script_->answers.size() - 1)];
        }
        if (a.openFailure) {
            failure = *a.openFailure;
            return nullptr;
        }
        response.status = a.status;
        response.finalUrl = request.url;
        response.contentType = a.contentType;
        response.contentLength = a.contentLength;
        response.icyMetaInt = a.icyMetaInt;
        return std::make_unique<Body>(std::move(a));
    }

private:
    class Body final : public stream::HttpBody {
    public:
        explicit Body(FakeAnswer a) : a_(std::move(a)) {}
        std::optional<size_t> Read(uint8_t* buffer, size_t capacity, stream::Failure& failure) override {
            if (at_ < a_.body.size()) {
                if (a_.chunkDelayMs && at_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(a_.chunkDelayMs));
                const size_t n = std::min({capacity, a_.chunk, a_.body.size() - at_});
                std::memcpy(buffer, a_.body.data() + at_, n);
                at_ += n;
                return n;
            }
            switch (a_.then) {
                case FakeAnswer::Then::End: return size_t{0};
                case FakeAnswer::Then::Drop: failure = {stream::FailureCause::Dropped, 0}; return std::nullopt;
                case FakeAnswer::Then::Stall:
                    std::this_thread::sleep_for(std::chrono::milliseconds(a_.stallMs));
                    failure = {stream::FailureCause::Stall, 0};
                    return std::nullopt;
            }
            return size_t{0};
        }

    private:
        FakeAnswer a_;
        size_t at_ = 0;
    };
    std::shared_ptr<TransportScript> script_;
};

// Answers by address: each address has its answer (the same every time); any other address is
// refused. Every request is logged with its range.
struct RouteTable {
    std::mutex mutex;
    std::map<std::wstring, FakeAnswer> answers;
    std::vector<std::wstring> requested;
    int count(const std::wstring& url) {
        std::lock_guard l(mutex);
        return static_cast<int>(std::count(requested.begin(), requested.end(), url));
    }
};

class RoutedTransport final : public stream::HttpTransport {
public:
    explicit RoutedTransport(std::shared_ptr<RouteTable> routes) : routes_(std::move(routes)) {}
    std::unique_ptr<stream::HttpBody> Open(const stream::HttpRequest& request, stream::HttpResponse& response,
                                           stream::Failure& failure) override {
        auto script = std::make_shared<TransportScript>();
        {
            std::lock_guard l(routes_->mutex);
            routes_->requested.push_back(request.url);
            auto a = routes_->answers.find(request.url);
            if (a != routes_->answers.end()) script->answers = {a->second};
        }
        return ScriptedTransport(script).Open(request, response, failure);
    }

private:
    std::shared_ptr<RouteTable> routes_;
};

// Turns each frame into a frame's worth of samples of one value, the frame's first payload byte
// times 100, so tests can tell frames apart in what the device heard. A strict one decodes only
// frames of the codec, rate and channels of its first frame, as the system's decoders do.
class LevelDecoder final : public stream::AudioDecoder {
public:
    explicit LevelDecoder(bool strict = false) : strict_(strict) {}
    bool Decode(const stream::AudioFrame& frame, std::vector<int16_t>& pcm, stream::PcmFormat& format) override {
        const bool aac = frame.codec == stream::AudioCodec::Aac;
        format = aac ? stream::PcmFormat{frame.adts.sampleRate, frame.adts.channelConfig}
                     : stream::PcmFormat{frame.mpeg.sampleRate, frame.mpeg.channels};
        if (strict_) {
            if (!first_) first_ = std::make_pair(frame.codec, format);
            if (*first_ != std::make_pair(frame.codec, format)) return false;  // "damaged"
        }
        const size_t payload = aac ? frame.adts.headerBytes : 4;
        const int16_t level = static_cast<int16_t>(frame.bytes.size() > payload ? frame.bytes[payload] * 100 : 0);
        const int samples = aac ? 1024 : frame.mpeg.samplesPerFrame;
        pcm.insert(pcm.end(), static_cast<size_t>(samples * format.channels), level);
        return true;
    }
    void Reset() override { ++resets; }
    int resets = 0;

private:
    const bool strict_;
    std::optional<std::pair<stream::AudioCodec, stream::PcmFormat>> first_;
};

// count MPEG-1 Layer III frames, 128 kbps, 44.1 kHz, stereo, 417 bytes each; the first payload
// byte of frame i is level(i) (LevelDecoder makes that the sample value / 100).
inline std::string Mp3Frames(int count, int level = 50) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        std::string f(417, '\0');
        f[0] = '\xFF'; f[1] = '\xFB'; f[2] = '\x90'; f[3] = '\x44';  // joint stereo
        f[4] = static_cast<char>(level);
        out += f;
    }
    return out;
}

// count MPEG-1 Layer III frames, 128 kbps, 48 kHz, stereo, 384 bytes each, payload byte level.
inline std::string Mp3Frames48k(int count, int level) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        std::string f(384, '\0');
        f[0] = '\xFF'; f[1] = '\xFB'; f[2] = '\x94'; f[3] = '\x44';
        f[4] = static_cast<char>(level);
        out += f;
    }
    return out;
}

// count ADTS frames (AAC LC, 44.1 kHz, stereo) of 300 bytes whose first payload byte is level;
// rawBlocks above 1 says each frame holds that many AAC blocks.
inline std::string AdtsFrames(int count, int level, int rawBlocks = 1) {
    constexpr size_t kLength = 300;
    std::string out;
    for (int i = 0; i < count; ++i) {
        std::string f(kLength, '\0');
        f[0] = '\xFF'; f[1] = '\xF1';
        f[2] = '\x50';  // LC, 44.1 kHz, channel configuration 2 (high bit)
        f[3] = static_cast<char>(0x80 | ((kLength >> 11) & 3));
        f[4] = static_cast<char>((kLength >> 3) & 0xFF);
        f[5] = static_cast<char>(((kLength & 7) << 5) | 0x1F);
        f[6] = static_cast<char>(0xFC | (rawBlocks - 1));
        f[7] = static_cast<char>(level);
        out += f;
    }
    return out;
}

// 1152 frames at 44.1 kHz.
inline constexpr double kMp3FrameMs = 1152 * 1000.0 / 44100;

}  // namespace zarvio::test
