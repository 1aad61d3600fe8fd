#include "player/stream/output/waveout_sink.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/handles.h"
#include "player/stream/base/pcm_wave_format.h"

namespace zarvio::stream {
namespace {

class SystemWaveOutApi final : public WaveOutApi {
public:
    MMRESULT Open(HWAVEOUT* out, const WAVEFORMATEX& format, HANDLE doneEvent) override {
        return waveOutOpen(out, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(doneEvent), 0,
                           CALLBACK_EVENT);
    }
    MMRESULT Prepare(HWAVEOUT h, WAVEHDR* header) override { return waveOutPrepareHeader(h, header, sizeof(WAVEHDR)); }
    MMRESULT Unprepare(HWAVEOUT h, WAVEHDR* header) override {
        return waveOutUnprepareHeader(h, header, sizeof(WAVEHDR));
    }
    MMRESULT Write(HWAVEOUT h, WAVEHDR* header) override { return waveOutWrite(h, header, sizeof(WAVEHDR)); }
    MMRESULT Reset(HWAVEOUT h) override { return waveOutReset(h); }
    MMRESULT Close(HWAVEOUT h) override { return waveOutClose(h); }
};

class WaveOutSink final : public AudioSink {
public:
    explicit WaveOutSink(WaveOutApi& api)
        // Auto-reset: the device sets it whenever a block comes back (and on open and close).
        : api_(api), event_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
    ~WaveOutSink() override { Close(); }

    bool Open(const PcmFormat& format) override {
        Close();
        if (!format.valid() || !event_) return false;
        const WAVEFORMATEX wfx = PcmWaveFormat(format);
        HWAVEOUT h = nullptr;
        if (api_.Open(&h, wfx, event_.get()) != MMSYSERR_NOERROR || !h) return false;
        device_ = h;
        format_ = format;
        blockFrames_ = std::max<size_t>(1, static_cast<size_t>(format.sampleRate) * kSinkBlockMs / 1000);
        for (Block& b : blocks_) {
            b.samples.assign(blockFrames_ * static_cast<size_t>(format.channels), 0);
            b.header = {};
            b.queued = false;
        }
        played_ = 0;
        return true;
    }

    void Close() override {
        if (!device_) return;
        Reset();
        api_.Close(device_);
        device_ = nullptr;
    }

    bool IsOpen() const override { return device_ != nullptr; }

    int FreeBlocks() override {
        Reclaim();
        int n = 0;
        for (const Block& b : blocks_) n += b.queued ? 0 : 1;
        return n;
    }

    bool Write(const int16_t* samples, size_t frames) override {
        if (!device_) return false;
        const size_t channels = static_cast<size_t>(format_.channels);
        while (frames > 0) {
            Block* b = FreeBlock();
            if (!b) return false;  // the device has stopped taking blocks back
            const size_t n = std::min(frames, blockFrames_);
            std::memcpy(b->samples.data(), samples, n * channels * sizeof(int16_t));
            b->header = {};
            b->header.lpData = reinterpret_cast<LPSTR>(b->samples.data());
            b->header.dwBufferLength = static_cast<DWORD>(n * channels * sizeof(int16_t));
            b->frames = n;
            if (api_.Prepare(device_, &b->header) != MMSYSERR_NOERROR) return false;
            if (api_.Write(device_, &b->header) != MMSYSERR_NOERROR) {
                api_.Unprepare(device_, &b->header);
                return false;
            }
            b->queued = true;
            samples += n * channels;
            frames -= n;
        }
        return true;
    }

    uint64_t PlayedFrames() override {
        Reclaim();
        return played_;
    }

    void Reset() override {
        if (!device_) return;
        Reclaim();
        // waveOutReset hands every block back marked done; those were dropped, not played.
        api_.Reset(device_);
        for (Block& b : blocks_) {
            if (!b.queued) continue;
            api_.Unprepare(device_, &b.header);
            b.queued = false;
        }
    }

    void WaitForBlock(uint32_t timeoutMs) override {
        // Nothing in flight would never wake us; a finished block not yet taken back is news now.
        if (!device_ || !AnyQueued() || AnyQueuedDone()) return;
        WaitForSingleObject(event_.get(), timeoutMs);
    }

private:
    struct Block {
        std::vector<int16_t> samples;
        WAVEHDR header{};
        size_t frames = 0;
        bool queued = false;  // prepared and handed to the device
    };

    // The device's thread sets WHDR_DONE while ours reads it.
    static bool Done(const Block& b) {
        return (*static_cast<const volatile DWORD*>(&b.header.dwFlags) & WHDR_DONE) != 0;
    }

    // Takes back the blocks the device has finished, in any order it finished them.
    void Reclaim() {
        if (!device_) return;
        for (Block& b : blocks_) {
            if (!b.queued || !Done(b)) continue;
            api_.Unprepare(device_, &b.header);
            b.queued = false;
            played_ += b.frames;
        }
    }

    bool AnyQueued() const {
        return std::any_of(blocks_.begin(), blocks_.end(), [](const Block& b) { return b.queued; });
    }
    bool AnyQueuedDone() const {
        return std::any_of(blocks_.begin(), blocks_.end(),
                           [](const Block& b) { return b.queued && Done(b); });
    }

    // A free block, waiting up to two blocks' time for the device to finish one.
    Block* FreeBlock() {
        for (int attempt = 0; attempt < 3; ++attempt) {
            Reclaim();
            for (Block& b : blocks_) {
                if (!b.queued) return &b;
            }
            WaitForSingleObject(event_.get(), kSinkBlockMs);
        }
        return nullptr;
    }

    WaveOutApi& api_;
    KernelHandle event_;
    HWAVEOUT device_ = nullptr;
    PcmFormat format_;
    size_t blockFrames_ = 0;
    std::array<Block, kSinkBlocks> blocks_;
    uint64_t played_ = 0;
};

}  // namespace

WaveOutApi& SystemWaveOut() {
    static SystemWaveOutApi api;  // stateless: the system's functions
    return api;
}

std::unique_ptr<AudioSink> CreateWaveOutSink(WaveOutApi& api) { return std::make_unique<WaveOutSink>(api); }

std::unique_ptr<AudioSink> CreateWaveOutSink() { return CreateWaveOutSink(SystemWaveOut()); }

}  // namespace zarvio::stream
