#include "player/stream/decode/mft_audio_decoder.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mftransform.h>

#include <cstring>
#include <functional>
#include <vector>

#include "platform/handles.h"
#include "player/stream/decode/media_foundation.h"

namespace zarvio::stream {
namespace {

// Our own copies of the identifiers, so that nothing of Media Foundation's import libraries is
// linked (their values are those of the Windows SDK's mfapi.h and wmcodecdsp.h).
constexpr GUID AudioSubtype(DWORD formatTag) {
    return {formatTag, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
}
constexpr GUID kMediaTypeAudio = {0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr GUID kSubtypePcm = AudioSubtype(WAVE_FORMAT_PCM);
constexpr GUID kSubtypeAac = AudioSubtype(WAVE_FORMAT_MPEG_HEAAC);
constexpr GUID kSubtypeMpeg = AudioSubtype(WAVE_FORMAT_MPEG);
constexpr GUID kSubtypeMp3 = AudioSubtype(WAVE_FORMAT_MPEGLAYER3);
constexpr GUID kMajorType = {0x48eba18e, 0xf8c9, 0x4687, {0xbf, 0x11, 0x0a, 0x74, 0xc9, 0xf9, 0x6a, 0x8f}};
constexpr GUID kSubtype = {0xf7e34c9a, 0x42e8, 0x4714, {0xb7, 0x4b, 0xcb, 0x29, 0xd7, 0x2c, 0x35, 0xe5}};
constexpr GUID kChannels = {0x37e48bf5, 0x645e, 0x4c5b, {0x89, 0xde, 0xad, 0xa9, 0xe2, 0x9b, 0x69, 0x6a}};
constexpr GUID kSampleRate = {0x5faeeae7, 0x0290, 0x4c31, {0x9e, 0x8a, 0xc5, 0x34, 0xf6, 0x8d, 0x9d, 0xba}};
constexpr GUID kBitsPerSample = {0xf2deb57f, 0x40fa, 0x4764, {0xaa, 0x33, 0xed, 0x4f, 0x2d, 0x1f, 0xf6, 0x69}};
constexpr GUID kBlockAlign = {0x322de230, 0x9eeb, 0x43bd, {0xab, 0x7a, 0xff, 0x41, 0x22, 0x51, 0x54, 0x1d}};
constexpr GUID kAvgBytes = {0x1aab75c8, 0xcfef, 0x451c, {0xab, 0x95, 0xac, 0x03, 0x4b, 0x8e, 0x17, 0x31}};
constexpr GUID kAacPayloadType = {0xbfbabe79, 0x7434, 0x4d1c, {0x94, 0xf0, 0x72, 0xa3, 0xb9, 0xe1, 0x71, 0x88}};
constexpr GUID kAacProfileLevel = {0x7632f0e6, 0x9538, 0x4d61, {0xac, 0xda, 0xea, 0x29, 0xc8, 0xc1, 0x44, 0x56}};
constexpr GUID kUserData = {0xb6bc765f, 0x4c3b, 0x40a4, {0xbd, 0x51, 0x25, 0x35, 0xb6, 0x6f, 0xe0, 0x9d}};
constexpr GUID kAacDecoder = {0x32d186a7, 0x218f, 0x4c75, {0x88, 0x76, 0xdd, 0x77, 0x27, 0x3a, 0x89, 0x99}};
constexpr GUID kMpegAudioDecoder = {0x70707b39, 0xb2ca, 0x4015, {0xab, 0xea, 0xf8, 0x44, 0x7d, 0x22, 0xd8, 0x8b}};
constexpr GUID kMp3Decoder = {0xbbeea841, 0x0a63, 0x4f52, {0xa7, 0xab, 0xa9, 0xb3, 0xa8, 0x4e, 0xd3, 0x8a}};

// How the compressed side is described and what of each frame the transform is given.
struct InputDescription {
    GUID decoder{};
    std::function<bool(IMFMediaType*)> describe;
    size_t skipHeaderBytes = 0;  // raw AAC: the ADTS header is taken off every frame
    int samplesPerFrame = 0;
    int sampleRate = 0;
};

class MftAudioDecoder final : public AudioDecoder {
public:
    explicit MftAudioDecoder(std::shared_ptr<MediaFoundation> mf) : mf_(std::move(mf)) {}

    bool Open(const InputDescription& input) {
        input_ = input;
        if (FAILED(CoCreateInstance(input.decoder, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IMFTransform),
                                    reinterpret_cast<void**>(transform_.put())))) {
            return false;
        }
        ComPtr<IMFMediaType> type;
        if (FAILED(mf_->CreateMediaType(type.put())) || !input.describe(type.get()) ||
            FAILED(transform_->SetInputType(0, type.get(), 0))) {
            return false;
        }
        if (!SelectOutputType()) return false;
        transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_BEGIN_STREAMING, 0);
        transform_->ProcessMessage(MFT_MESSAGE_NOTIFY_START_OF_STREAM, 0);
        return true;
    }

    bool Decode(const AudioFrame& frame, std::vector<int16_t>& pcm, PcmFormat& format) override {
        if (frame.bytes.size() <= input_.skipHeaderBytes) return false;
        ComPtr<IMFSample> sample;
        if (!MakeInputSample(frame, sample)) return false;
        HRESULT hr = transform_->ProcessInput(0, sample.get(), 0);
        if (hr == MF_E_NOTACCEPTING) {
            // The transform still holds output: take it, then the frame.
            if (!Drain(pcm)) return false;
            hr = transform_->ProcessInput(0, sample.get(), 0);
        }
        const bool taken = SUCCEEDED(hr);
        const bool drained = Drain(pcm);
        format = format_;
        return taken && drained;
    }

    void Reset() override {
        transform_->ProcessMessage(MFT_MESSAGE_COMMAND_FLUSH, 0);
        framesIn_ = 0;
    }

private:
    // The 16-bit PCM output type the transform offers (or the first PCM type made 16-bit), set
    // and read back: its rate and channels are the stream's real ones (HE-AAC doubles the rate
    // the ADTS header states; the decoder may also turn parametric stereo into two channels).
    bool SelectOutputType() {
        ComPtr<IMFMediaType> chosen;
        for (DWORD i = 0;; ++i) {
            ComPtr<IMFMediaType> t;
            if (FAILED(transform_->GetOutputAvailableType(0, i, t.put()))) break;
            GUID subtype{};
            UINT32 bits = 0;
            if (FAILED(t->GetGUID(kSubtype, &subtype)) || subtype != kSubtypePcm) continue;
            t->GetUINT32(kBitsPerSample, &bits);
            if (bits == 16) {
                chosen = std::move(t);
                break;
            }
            if (!chosen) chosen = std::move(t);
        }
        if (!chosen) return false;
        UINT32 channels = 0, rate = 0;
        if (FAILED(chosen->GetUINT32(kChannels, &channels)) || FAILED(chosen->GetUINT32(kSampleRate, &rate)) ||
            channels == 0 || rate == 0) {
            return false;
        }
        chosen->SetUINT32(kBitsPerSample, 16);
        chosen->SetUINT32(kBlockAlign, channels * 2);
        chosen->SetUINT32(kAvgBytes, rate * channels * 2);
        if (FAILED(transform_->SetOutputType(0, chosen.get(), 0))) return false;
        ComPtr<IMFMediaType> current;
        if (SUCCEEDED(transform_->GetOutputCurrentType(0, current.put()))) {
            current->GetUINT32(kChannels, &channels);
            current->GetUINT32(kSampleRate, &rate);
        }
        format_ = {static_cast<int>(rate), static_cast<int>(channels)};
        MFT_OUTPUT_STREAM_INFO info{};
        if (FAILED(transform_->GetOutputStreamInfo(0, &info))) return false;
        providesSamples_ = (info.dwFlags & (MFT_OUTPUT_STREAM_PROVIDES_SAMPLES |
                                            MFT_OUTPUT_STREAM_CAN_PROVIDE_SAMPLES)) != 0;
        // Room for the longest AAC frame (2048 samples with the doubled rate) in 8 channels.
        outputBytes_ = std::max<DWORD>(info.cbSize, 2048 * 2 * 8 * 2);
        outputSample_.reset();
        return true;
    }

    bool MakeInputSample(const AudioFrame& frame, ComPtr<IMFSample>& sample) {
        const auto payload = frame.bytes.subspan(input_.skipHeaderBytes);
        ComPtr<IMFMediaBuffer> buffer;
        if (FAILED(mf_->CreateSample(sample.put())) ||
            FAILED(mf_->CreateMemoryBuffer(static_cast<DWORD>(payload.size()), buffer.put()))) {
            return false;
        }
        BYTE* data = nullptr;
        if (FAILED(buffer->Lock(&data, nullptr, nullptr))) return false;
        std::memcpy(data, payload.data(), payload.size());
        buffer->Unlock();
        buffer->SetCurrentLength(static_cast<DWORD>(payload.size()));
        if (FAILED(sample->AddBuffer(buffer.get()))) return false;
        // Times in 100 ns units; some decoders want them even though nothing here reads them.
        const LONGLONG frameTime = 10'000'000LL * input_.samplesPerFrame / std::max(1, input_.sampleRate);
        sample->SetSampleTime(framesIn_ * frameTime);
        sample->SetSampleDuration(frameTime);
        ++framesIn_;
        return true;
    }

    // Takes every output the transform has. False on an error other than wanting more input.
    bool Drain(std::vector<int16_t>& pcm) {
        for (int round = 0; round < 64; ++round) {
            if (!providesSamples_ && !outputSample_ && !MakeOutputSample()) return false;
            if (outputSample_) {
                ComPtr<IMFMediaBuffer> b;
                if (SUCCEEDED(outputSample_->GetBufferByIndex(0, b.put()))) b->SetCurrentLength(0);
            }
            MFT_OUTPUT_DATA_BUFFER out{};
            out.dwStreamID = 0;
            out.pSample = providesSamples_ ? nullptr : outputSample_.get();
            DWORD status = 0;
            const HRESULT hr = transform_->ProcessOutput(0, 1, &out, &status);
            if (out.pEvents) out.pEvents->Release();
            if (hr == MF_E_TRANSFORM_NEED_MORE_INPUT) return true;
            if (hr == MF_E_TRANSFORM_STREAM_CHANGE) {
                if (!SelectOutputType()) return false;
                continue;
            }
            if (FAILED(hr)) return false;
            if (out.pSample) {
                Append(out.pSample, pcm);
                if (providesSamples_) out.pSample->Release();
            }
        }
        return true;
    }

    bool MakeOutputSample() {
        ComPtr<IMFMediaBuffer> buffer;
        if (FAILED(mf_->CreateSample(outputSample_.put())) ||
            FAILED(mf_->CreateMemoryBuffer(outputBytes_, buffer.put())) ||
            FAILED(outputSample_->AddBuffer(buffer.get()))) {
            outputSample_.reset();
            return false;
        }
        return true;
    }

    static void Append(IMFSample* sample, std::vector<int16_t>& pcm) {
        DWORD count = 0;
        if (FAILED(sample->GetBufferCount(&count))) return;
        for (DWORD i = 0; i < count; ++i) {
            ComPtr<IMFMediaBuffer> b;
            if (FAILED(sample->GetBufferByIndex(i, b.put()))) continue;
            BYTE* data = nullptr;
            DWORD length = 0;
            if (FAILED(b->Lock(&data, nullptr, &length))) continue;
            const size_t before = pcm.size();
            pcm.resize(before + length / 2);
            std::memcpy(pcm.data() + before, data, length / 2 * 2);
            b->Unlock();
        }
    }

    std::shared_ptr<MediaFoundation> mf_;  // outlives the transform: declared first
    ComPtr<IMFTransform> transform_;
    ComPtr<IMFSample> outputSample_;
    InputDescription input_;
    PcmFormat format_;
    bool providesSamples_ = false;
    DWORD outputBytes_ = 0;
    LONGLONG framesIn_ = 0;
};

std::unique_ptr<AudioDecoder> OpenTransform(const InputDescription& input) {
    auto mf = MediaFoundation::Load();
    if (!mf) return nullptr;
    auto d = std::make_unique<MftAudioDecoder>(std::move(mf));
    if (!d->Open(input)) return nullptr;
    return d;
}

bool DescribeAudio(IMFMediaType* t, const GUID& subtype, int rate, int channels) {
    return SUCCEEDED(t->SetGUID(kMajorType, kMediaTypeAudio)) && SUCCEEDED(t->SetGUID(kSubtype, subtype)) &&
           SUCCEEDED(t->SetUINT32(kSampleRate, static_cast<UINT32>(rate))) &&
           SUCCEEDED(t->SetUINT32(kChannels, static_cast<UINT32>(channels)));
}

// MF_MT_USER_DATA of an AAC type: the fields of HEAACWAVEINFO after its WAVEFORMATEX, then for
// raw frames the two-byte AudioSpecificConfig that the ADTS header otherwise gives.
std::vector<uint8_t> AacUserData(const AdtsHeader& h, bool adts) {
    std::vector<uint8_t> d(12, 0);
    d[0] = adts ? 1 : 0;  // wPayloadType
    d[2] = 0xfe;          // wAudioProfileLevelIndication: not given
    if (!adts) {
        const unsigned config = (static_cast<unsigned>(h.audioObjectType) << 11) |
                                (static_cast<unsigned>(h.sampleRateIndex) << 7) |
                                (static_cast<unsigned>(h.channelConfig) << 3);
        d.push_back(static_cast<uint8_t>(config >> 8));
        d.push_back(static_cast<uint8_t>(config));
    }
    return d;
}

InputDescription AacInput(const AdtsHeader& h, bool adts) {
    InputDescription in;
    in.decoder = kAacDecoder;
    in.skipHeaderBytes = adts ? 0 : h.headerBytes;
    in.samplesPerFrame = 1024;
    in.sampleRate = h.sampleRate;
    in.describe = [h, adts](IMFMediaType* t) {
        const std::vector<uint8_t> user = AacUserData(h, adts);
        return DescribeAudio(t, kSubtypeAac, h.sampleRate, h.channelConfig == 7 ? 8 : h.channelConfig) &&
               SUCCEEDED(t->SetUINT32(kAacPayloadType, adts ? 1 : 0)) &&
               SUCCEEDED(t->SetUINT32(kAacProfileLevel, 0xfe)) &&
               SUCCEEDED(t->SetBlob(kUserData, user.data(), static_cast<UINT32>(user.size())));
    };
    return in;
}

InputDescription MpegInput(const MpegAudioHeader& h, const GUID& decoder, const GUID& subtype) {
    InputDescription in;
    in.decoder = decoder;
    in.samplesPerFrame = h.samplesPerFrame;
    in.sampleRate = h.sampleRate;
    in.describe = [h, subtype](IMFMediaType* t) {
        return DescribeAudio(t, subtype, h.sampleRate, h.channels) &&
               SUCCEEDED(t->SetUINT32(kAvgBytes, static_cast<UINT32>(h.bitrateKbps) * 1000 / 8));
    };
    return in;
}

}  // namespace

std::unique_ptr<AudioDecoder> CreateMftAacDecoder(const AudioFrame& first) {
    if (first.codec != AudioCodec::Aac) return nullptr;
    // ADTS frames as they come; a decoder that takes only raw frames gets them without headers.
    if (auto d = OpenTransform(AacInput(first.adts, true))) return d;
    return OpenTransform(AacInput(first.adts, false));
}

std::unique_ptr<AudioDecoder> CreateMftMpegDecoder(const AudioFrame& first) {
    if (first.codec != AudioCodec::MpegAudio) return nullptr;
    const MpegAudioHeader& h = first.mpeg;
    if (h.layer != 3) return OpenTransform(MpegInput(h, kMpegAudioDecoder, kSubtypeMpeg));
    if (auto d = OpenTransform(MpegInput(h, kMpegAudioDecoder, kSubtypeMp3))) return d;
    return OpenTransform(MpegInput(h, kMp3Decoder, kSubtypeMp3));
}

}  // namespace zarvio::stream
