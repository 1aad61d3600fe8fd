#include "player/stream/decode/acm_mpeg_decoder.h"

#include <windows.h>
// WIN32_LEAN_AND_MEAN leaves out mmsystem.h, which msacm.h needs.
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/handles.h"
#include "player/stream/base/pcm_wave_format.h"

namespace zarvio::stream {
namespace {

static_assert(sizeof(MPEGLAYER3WAVEFORMAT) == sizeof(WAVEFORMATEX) + MPEGLAYER3_WFX_EXTRA_BYTES);

struct AcmStreamTraits {
    static HACMSTREAM Invalid() { return nullptr; }
    static void Close(HACMSTREAM h) { acmStreamClose(h, 0); }
};
using AcmStream = UniqueHandle<HACMSTREAM, AcmStreamTraits>;

// The largest MPEG audio frame is under 3 KB (Layer III at 320 kbit/s and 32 kHz, or 2.5 at
// 160 kbit/s and 8 kHz); a codec may keep part of one frame until the next arrives.
constexpr DWORD kInputBytes = 16 * 1024;

// Layer III's wave format as the system's MP3 codec expects it: one frame per block.
MPEGLAYER3WAVEFORMAT Layer3Format(const MpegAudioHeader& h) {
    MPEGLAYER3WAVEFORMAT f{};
    f.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
    f.wfx.nChannels = static_cast<WORD>(h.channels);
    f.wfx.nSamplesPerSec = static_cast<DWORD>(h.sampleRate);
    f.wfx.nAvgBytesPerSec = static_cast<DWORD>(h.bitrateKbps) * 1000 / 8;
    f.wfx.nBlockAlign = 1;
    f.wfx.wBitsPerSample = 0;
    f.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
    f.wID = MPEGLAYER3_ID_MPEG;
    f.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
    f.nBlockSize = static_cast<WORD>(h.frameBytes);
    f.nFramesPerBlock = 1;
    f.nCodecDelay = 1393;  // the value Windows' own MP3 files carry; the codec ignores it
    return f;
}

// MPEG-1 audio's wave format (Layers I and II). The channel mode is in the frame's fourth byte.
MPEG1WAVEFORMAT Layer12Format(const MpegAudioHeader& h, std::span<const uint8_t> frame) {
    MPEG1WAVEFORMAT f{};
    f.wfx.wFormatTag = WAVE_FORMAT_MPEG;
    f.wfx.nChannels = static_cast<WORD>(h.channels);
    f.wfx.nSamplesPerSec = static_cast<DWORD>(h.sampleRate);
    f.wfx.nAvgBytesPerSec = static_cast<DWORD>(h.bitrateKbps) * 1000 / 8;
    f.wfx.nBlockAlign = 1;  // frames at 44.1 kHz differ by their padding byte
    f.wfx.wBitsPerSample = 0;
    f.wfx.cbSize = sizeof(MPEG1WAVEFORMAT) - sizeof(WAVEFORMATEX);
    f.fwHeadLayer = h.layer == 1 ? ACM_MPEG_LAYER1 : ACM_MPEG_LAYER2;
    f.dwHeadBitrate = static_cast<DWORD>(h.bitrateKbps) * 1000;
    static constexpr WORD kModes[4] = {ACM_MPEG_STEREO, ACM_MPEG_JOINTSTEREO, ACM_MPEG_DUALCHANNEL,
                                       ACM_MPEG_SINGLECHANNEL};
    const uint8_t modeByte = frame.size() > 3 ? frame[3] : 0;
    f.fwHeadMode = kModes[modeByte >> 6];
    f.fwHeadModeExt = static_cast<WORD>(1u << ((modeByte >> 4) & 3));
    f.wHeadEmphasis = static_cast<WORD>((modeByte & 3) + 1);
    f.fwHeadFlags = h.version == 10 ? ACM_MPEG_ID_MPEG1 : 0;
    return f;
}

WAVEFORMATEX PcmFormatOf(const MpegAudioHeader& h) { return PcmWaveFormat({h.sampleRate, h.channels}); }

class AcmMpegDecoder final : public AudioDecoder {
public:
    ~AcmMpegDecoder() override { Unprepare(); }

    // False when no codec takes the format.
    bool Open(const AudioFrame& first) {
        header_ = first.mpeg;
        if (header_.layer == 3) {
            MPEGLAYER3WAVEFORMAT f = Layer3Format(header_);
            source_.assign(reinterpret_cast<const uint8_t*>(&f), reinterpret_cast<const uint8_t*>(&f + 1));
        } else {
            MPEG1WAVEFORMAT f = Layer12Format(header_, first.bytes);
            source_.assign(reinterpret_cast<const uint8_t*>(&f), reinterpret_cast<const uint8_t*>(&f + 1));
        }
        pcm_ = PcmFormatOf(header_);
        return OpenStream();
    }

    bool Decode(const AudioFrame& frame, std::vector<int16_t>& pcm, PcmFormat& format) override {
        if (!stream_) return false;
        format = {header_.sampleRate, header_.channels};
        if (pending_ + frame.bytes.size() > input_.size()) pending_ = 0;  // a codec that takes nothing
        if (frame.bytes.size() > input_.size()) return false;
        std::memcpy(input_.data() + pending_, frame.bytes.data(), frame.bytes.size());
        DWORD available = static_cast<DWORD>(pending_ + frame.bytes.size());
        DWORD offset = 0;
        // The output holds several frames' PCM; a codec that still has more gives it on the next
        // call with what is left of the input.
        for (int round = 0; round < 8; ++round) {
            if (offset != 0) std::memmove(input_.data(), input_.data() + offset, available);
            offset = 0;
            header_acm_.cbSrcLength = available;
            header_acm_.cbSrcLengthUsed = 0;
            header_acm_.cbDstLengthUsed = 0;
            const DWORD flags = first_ ? ACM_STREAMCONVERTF_START : 0;
            if (acmStreamConvert(stream_.get(), &header_acm_, flags) != MMSYSERR_NOERROR) {
                pending_ = 0;
                return false;
            }
            first_ = false;
            const DWORD produced = header_acm_.cbDstLengthUsed;
            const DWORD used = std::min(header_acm_.cbSrcLengthUsed, available);
            const size_t before = pcm.size();
            pcm.resize(before + produced / 2);
            std::memcpy(pcm.data() + before, output_.data(), produced / 2 * 2);
            available -= used;
            offset = used;
            if (available == 0 || (used == 0 && produced == 0)) break;
        }
        if (offset != 0 && available != 0) std::memmove(input_.data(), input_.data() + offset, available);
        pending_ = available;
        return true;
    }

    void Reset() override {
        // ACM keeps no promise to forget a stream's state on acmStreamReset: start afresh.
        Unprepare();
        stream_.reset();
        OpenStream();
    }

private:
    bool OpenStream() {
        HACMSTREAM h = nullptr;
        if (acmStreamOpen(&h, nullptr, reinterpret_cast<WAVEFORMATEX*>(source_.data()), &pcm_, nullptr, 0, 0,
                          ACM_STREAMOPENF_NONREALTIME) != MMSYSERR_NOERROR) {
            return false;
        }
        stream_.reset(h);
        DWORD outBytes = 0;
        if (acmStreamSize(stream_.get(), kInputBytes, &outBytes, ACM_STREAMSIZEF_SOURCE) != MMSYSERR_NOERROR ||
            outBytes == 0) {
            outBytes = 0;
        }
        // At least a second of PCM: codecs that hold frames back give them all at once.
        outBytes = std::max<DWORD>(outBytes, pcm_.nAvgBytesPerSec);
        input_.assign(kInputBytes, 0);
        output_.assign(outBytes, 0);
        header_acm_ = {};
        header_acm_.cbStruct = sizeof(header_acm_);
        header_acm_.pbSrc = input_.data();
        header_acm_.cbSrcLength = kInputBytes;
        header_acm_.pbDst = output_.data();
        header_acm_.cbDstLength = outBytes;
        if (acmStreamPrepareHeader(stream_.get(), &header_acm_, 0) != MMSYSERR_NOERROR) {
            stream_.reset();
            return false;
        }
        prepared_ = true;
        first_ = true;
        pending_ = 0;
        return true;
    }

    void Unprepare() {
        if (!prepared_) return;
        // The header must be unprepared with the lengths it was prepared with.
        header_acm_.cbSrcLength = kInputBytes;
        header_acm_.cbDstLength = static_cast<DWORD>(output_.size());
        acmStreamUnprepareHeader(stream_.get(), &header_acm_, 0);
        prepared_ = false;
    }

    MpegAudioHeader header_;
    std::vector<uint8_t> source_;  // the compressed side's wave format
    WAVEFORMATEX pcm_{};
    AcmStream stream_;
    ACMSTREAMHEADER header_acm_{};
    bool prepared_ = false;
    bool first_ = true;
    std::vector<uint8_t> input_;
    std::vector<uint8_t> output_;
    size_t pending_ = 0;  // input bytes the codec has not taken yet, at the front of input_
};

}  // namespace

std::unique_ptr<AudioDecoder> CreateAcmMpegDecoder(const AudioFrame& first) {
    if (first.codec != AudioCodec::MpegAudio) return nullptr;
    auto d = std::make_unique<AcmMpegDecoder>();
    if (!d->Open(first)) return nullptr;
    return d;
}

}  // namespace zarvio::stream
