#include "player/stream/formats/mp4_fragments.h"

#include <string>

namespace zarvio::stream {
namespace {

constexpr uint32_t kMoov = Mp4Type("moov");
constexpr uint32_t kTrak = Mp4Type("trak");
constexpr uint32_t kTkhd = Mp4Type("tkhd");
constexpr uint32_t kMdia = Mp4Type("mdia");
constexpr uint32_t kMdhd = Mp4Type("mdhd");
constexpr uint32_t kHdlr = Mp4Type("hdlr");
constexpr uint32_t kMinf = Mp4Type("minf");
constexpr uint32_t kStbl = Mp4Type("stbl");
constexpr uint32_t kStsd = Mp4Type("stsd");
constexpr uint32_t kMp4a = Mp4Type("mp4a");
constexpr uint32_t kEsds = Mp4Type("esds");
constexpr uint32_t kMvex = Mp4Type("mvex");
constexpr uint32_t kTrex = Mp4Type("trex");
constexpr uint32_t kSoun = Mp4Type("soun");
constexpr uint32_t kUuid = Mp4Type("uuid");
constexpr uint32_t kMoof = Mp4Type("moof");
constexpr uint32_t kTraf = Mp4Type("traf");
constexpr uint32_t kTfhd = Mp4Type("tfhd");
constexpr uint32_t kTfdt = Mp4Type("tfdt");
constexpr uint32_t kTrun = Mp4Type("trun");

constexpr size_t kAdtsHeaderBytes = 7;
constexpr size_t kMaxAdtsFrameBytes = 0x1FFF;

// Reads big-endian fields from a box payload; any read past the end sets failed() and gives 0.
class Cursor {
public:
    explicit Cursor(std::span<const uint8_t> b) : b_(b) {}
    uint64_t Read(size_t bytes) {
        if (failed_ || bytes > b_.size() - pos_) {
            failed_ = true;
            return 0;
        }
        uint64_t v = 0;
        for (size_t i = 0; i < bytes; ++i) v = v << 8 | b_[pos_ + i];
        pos_ += bytes;
        return v;
    }
    uint8_t U8() { return uint8_t(Read(1)); }
    uint16_t U16() { return uint16_t(Read(2)); }
    uint32_t U32() { return uint32_t(Read(4)); }
    uint64_t U64() { return Read(8); }
    void Skip(size_t bytes) {
        if (failed_ || bytes > b_.size() - pos_) failed_ = true;
        else pos_ += bytes;
    }
    std::span<const uint8_t> Take(size_t bytes) {
        if (failed_ || bytes > b_.size() - pos_) {
            failed_ = true;
            return {};
        }
        auto s = b_.subspan(pos_, bytes);
        pos_ += bytes;
        return s;
    }
    std::span<const uint8_t> Rest() const { return failed_ ? std::span<const uint8_t>() : b_.subspan(pos_); }
    size_t Remaining() const { return failed_ ? 0 : b_.size() - pos_; }
    bool failed() const { return failed_; }

private:
    std::span<const uint8_t> b_;
    size_t pos_ = 0;
    bool failed_ = false;
};

class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> b) : b_(b) {}
    uint32_t Bits(int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) {
            if (bit_ >= b_.size() * 8) { failed_ = true; return 0; }
            v = v << 1 | (b_[bit_ / 8] >> (7 - bit_ % 8) & 1);
            ++bit_;
        }
        return v;
    }
    bool failed() const { return failed_; }

private:
    std::span<const uint8_t> b_;
    size_t bit_ = 0;
    bool failed_ = false;
};

// The first child box of the given type, or nullopt. An overrun among the children counts as
// malformed through *malformed.
std::optional<Mp4Box> FindChild(std::span<const uint8_t> payload, uint32_t type, bool* malformed) {
    Mp4BoxReader reader(payload);
    while (auto box = reader.Next()) {
        if (box->type == type) return box;
    }
    if (reader.Overrun()) *malformed = true;
    return std::nullopt;
}

// One descriptor of an esds (ISO/IEC 14496-1): its tag and body. The length is 1 to 4 bytes of 7
// bits each, the top bit saying another byte follows.
struct Descriptor {
    uint8_t tag = 0;
    std::span<const uint8_t> body;
};

std::optional<Descriptor> ReadDescriptor(Cursor& c) {
    Descriptor d;
    d.tag = c.U8();
    size_t length = 0;
    for (int i = 0;; ++i) {
        if (i == 4) return std::nullopt;
        const uint8_t b = c.U8();
        length = length << 7 | (b & 0x7F);
        if (!(b & 0x80)) break;
    }
    d.body = c.Take(length);
    if (c.failed()) return std::nullopt;
    return d;
}

enum class EsdsResult { Ok, Malformed, Unsupported };

// The esds of an mp4a entry: the codec and, for AAC, its AudioSpecificConfig.
EsdsResult ReadEsds(std::span<const uint8_t> esds, Mp4AudioTrack& track) {
    Cursor c(esds);
    c.Skip(4);  // version and flags
    auto es = ReadDescriptor(c);
    if (!es || es->tag != 0x03) return EsdsResult::Malformed;
    Cursor e(es->body);
    e.Skip(2);  // ES_ID
    const uint8_t flags = e.U8();
    if (flags & 0x80) e.Skip(2);        // dependsOn_ES_ID
    if (flags & 0x40) e.Skip(e.U8());   // URL
    if (flags & 0x20) e.Skip(2);        // OCR_ES_Id
    while (e.Remaining() > 0) {
        auto d = ReadDescriptor(e);
        if (!d) return EsdsResult::Malformed;
        if (d->tag != 0x04) continue;  // not the decoder configuration
        Cursor dc(d->body);
        const uint8_t objectType = dc.U8();
        dc.Skip(12);  // stream type, buffer size, maximum and average bit rates
        if (dc.failed()) return EsdsResult::Malformed;
        if (objectType == 0x69 || objectType == 0x6B) {
            track.codec = AudioCodec::MpegAudio;
            return EsdsResult::Ok;
        }
        if (objectType != 0x40 && objectType != 0x66 && objectType != 0x67 && objectType != 0x68) {
            return EsdsResult::Unsupported;
        }
        while (dc.Remaining() > 0) {
            auto specific = ReadDescriptor(dc);
            if (!specific) return EsdsResult::Malformed;
            if (specific->tag != 0x05) continue;
            auto config = ReadAudioSpecificConfig(specific->body);
            if (!config) return EsdsResult::Unsupported;
            track.codec = AudioCodec::Aac;
            track.aac = *config;
            return EsdsResult::Ok;
        }
        return EsdsResult::Unsupported;  // AAC without its configuration
    }
    return e.failed() ? EsdsResult::Malformed : EsdsResult::Unsupported;
}

// A trak's audio: Ok fills track (all but the trex defaults).
Mp4Status ReadTrak(std::span<const uint8_t> trak, Mp4AudioTrack& track) {
    bool malformed = false;
    const auto tkhd = FindChild(trak, kTkhd, &malformed);
    const auto mdia = FindChild(trak, kMdia, &malformed);
    if (malformed || !tkhd || !mdia) return Mp4Status::Malformed;
    {
        Cursor c(tkhd->payload);
        const uint8_t version = c.U8();
        c.Skip(3);
        c.Skip(version == 1 ? 16 : 8);  // creation and modification times
        track.trackId = c.U32();
        if (c.failed()) return Mp4Status::Malformed;
    }
    const auto hdlr = FindChild(mdia->payload, kHdlr, &malformed);
    const auto mdhd = FindChild(mdia->payload, kMdhd, &malformed);
    const auto minf = FindChild(mdia->payload, kMinf, &malformed);
    if (malformed || !hdlr) return Mp4Status::Malformed;
    {
        Cursor c(hdlr->payload);
        c.Skip(8);  // version, flags, pre_defined
        const uint32_t handler = c.U32();
        if (c.failed()) return Mp4Status::Malformed;
        if (handler != kSoun) return Mp4Status::NoAudioTrack;
    }
    if (!mdhd || !minf) return Mp4Status::Malformed;
    {
        Cursor c(mdhd->payload);
        const uint8_t version = c.U8();
        c.Skip(3);
        c.Skip(version == 1 ? 16 : 8);
        track.timescale = c.U32();
        if (c.failed() || track.timescale == 0) return Mp4Status::Malformed;
    }
    const auto stbl = FindChild(minf->payload, kStbl, &malformed);
    if (malformed || !stbl) return Mp4Status::Malformed;
    const auto stsd = FindChild(stbl->payload, kStsd, &malformed);
    if (malformed || !stsd) return Mp4Status::Malformed;
    Cursor c(stsd->payload);
    c.Skip(4);
    const uint32_t entries = c.U32();
    if (c.failed() || entries == 0) return Mp4Status::Malformed;
    Mp4BoxReader entryReader(c.Rest());
    const auto entry = entryReader.Next();
    if (!entry) return Mp4Status::Malformed;
    if (entry->type != kMp4a) return Mp4Status::Unsupported;  // another codec, or encrypted

    // SampleEntry (8 bytes) and AudioSampleEntry (20), whose first field is QuickTime's sound
    // description version: version 1 adds 16 bytes, version 2 adds 36.
    Cursor a(entry->payload);
    a.Skip(8);
    const uint16_t soundVersion = a.U16();
    a.Skip(18);
    if (soundVersion == 1) a.Skip(16);
    else if (soundVersion == 2) a.Skip(36);
    if (a.failed()) return Mp4Status::Malformed;
    const auto esds = FindChild(a.Rest(), kEsds, &malformed);
    if (malformed) return Mp4Status::Malformed;
    if (!esds) return Mp4Status::Unsupported;
    switch (ReadEsds(esds->payload, track)) {
        case EsdsResult::Ok: return Mp4Status::Ok;
        case EsdsResult::Unsupported: return Mp4Status::Unsupported;
        case EsdsResult::Malformed: break;
    }
    return Mp4Status::Malformed;
}

}  // namespace

Probe ProbeFragmentedMp4(std::span<const uint8_t> bytes) {
    if (bytes.size() < 8) return Probe::NeedMore;
    const uint32_t type = uint32_t(bytes[4]) << 24 | uint32_t(bytes[5]) << 16 | uint32_t(bytes[6]) << 8 | bytes[7];
    for (const uint32_t known : {Mp4Type("ftyp"), Mp4Type("styp"), Mp4Type("moof"), Mp4Type("moov"),
                                 Mp4Type("sidx"), Mp4Type("prft"), Mp4Type("emsg")}) {
        if (type == known) return Probe::Yes;
    }
    return Probe::No;
}

std::optional<Mp4Box> Mp4BoxReader::Next() {
    if (overrun_ || pos_ == bytes_.size()) return std::nullopt;
    const size_t remaining = bytes_.size() - pos_;
    Cursor c(bytes_.subspan(pos_));
    uint64_t size = c.U32();
    const uint32_t type = c.U32();
    size_t header = 8;
    if (size == 1) {
        size = c.U64();
        header = 16;
    } else if (size == 0) {
        size = remaining;
    }
    if (type == kUuid) header += 16;
    if (c.failed() || size < header || size > remaining) {
        overrun_ = true;
        return std::nullopt;
    }
    Mp4Box box;
    box.type = type;
    box.offset = pos_;
    box.size = size_t(size);
    box.payload = bytes_.subspan(pos_ + header, box.size - header);
    pos_ += box.size;
    return box;
}

std::optional<AacConfig> ReadAudioSpecificConfig(std::span<const uint8_t> config) {
    BitReader r(config);
    auto objectType = [&] {
        const uint32_t t = r.Bits(5);
        return t == 31 ? 32 + r.Bits(6) : t;
    };
    AacConfig c;
    uint32_t type = objectType();
    c.sampleRateIndex = int(r.Bits(4));
    if (c.sampleRateIndex == 15) return std::nullopt;  // an explicit rate: no ADTS index for it
    c.channelConfig = int(r.Bits(4));
    // HE-AAC (SBR, PS) signalled explicitly names its extension rate, then the core's type. ADTS
    // carries the core and the decoder finds the extension in the stream.
    if (type == 5 || type == 29) {
        if (r.Bits(4) == 15) r.Bits(24);
        type = objectType();
    }
    if (r.failed()) return std::nullopt;
    if (type < 1 || type > 4) return std::nullopt;
    if (c.sampleRateIndex > 12) return std::nullopt;
    if (c.channelConfig < 1 || c.channelConfig > 7) return std::nullopt;
    c.audioObjectType = int(type);
    return c;
}

std::optional<std::array<uint8_t, 7>> AdtsHeaderFor(const AacConfig& config, size_t payloadBytes) {
    if (payloadBytes > kMaxAdtsFrameBytes - kAdtsHeaderBytes) return std::nullopt;
    const size_t length = payloadBytes + kAdtsHeaderBytes;
    const int profile = config.audioObjectType - 1;
    const int rate = config.sampleRateIndex;
    const int ch = config.channelConfig;
    return std::array<uint8_t, 7>{
        0xFF,
        0xF1,  // MPEG-4, layer 0, no CRC
        uint8_t((profile & 0x03) << 6 | (rate & 0x0F) << 2 | (ch >> 2 & 0x01)),
        uint8_t((ch & 0x03) << 6 | (length >> 11 & 0x03)),
        uint8_t(length >> 3 & 0xFF),
        uint8_t((length & 0x07) << 5 | 0x1F),  // buffer fullness 0x7FF: variable bit rate
        0xFC,                                  // one raw data block
    };
}

Mp4InitResult ReadMp4Init(std::span<const uint8_t> init) {
    Mp4InitResult result;
    bool malformed = false;
    const auto moov = FindChild(init, kMoov, &malformed);
    if (!moov) {
        result.status = Mp4Status::Malformed;
        return result;
    }
    Mp4Status best = Mp4Status::NoAudioTrack;
    Mp4BoxReader reader(moov->payload);
    while (auto box = reader.Next()) {
        if (box->type != kTrak) continue;
        Mp4AudioTrack track;
        const Mp4Status status = ReadTrak(box->payload, track);
        if (status == Mp4Status::Ok) {
            result.track = track;
            best = Mp4Status::Ok;
            break;
        }
        if (status == Mp4Status::Malformed || (status == Mp4Status::Unsupported && best == Mp4Status::NoAudioTrack)) {
            best = status;
        }
    }
    if (reader.Overrun() && best != Mp4Status::Ok) best = Mp4Status::Malformed;
    result.status = best;
    if (best != Mp4Status::Ok) return result;

    if (const auto mvex = FindChild(moov->payload, kMvex, &malformed)) {
        Mp4BoxReader trexes(mvex->payload);
        while (auto trex = trexes.Next()) {
            if (trex->type != kTrex) continue;
            Cursor c(trex->payload);
            c.Skip(4);
            const uint32_t trackId = c.U32();
            c.Skip(4);  // default sample description index
            const uint32_t duration = c.U32();
            const uint32_t size = c.U32();
            if (c.failed()) {
                result.status = Mp4Status::Malformed;
                return result;
            }
            if (trackId == result.track.trackId) {
                result.track.defaultSampleDuration = duration;
                result.track.defaultSampleSize = size;
            }
        }
        if (trexes.Overrun()) result.status = Mp4Status::Malformed;
    }
    return result;
}

namespace {

// One moof's samples of the audio track, or false when the moof cannot be trusted.
bool ReadMoof(std::span<const uint8_t> segment, const Mp4Box& moof, const Mp4AudioTrack& track,
              Mp4FragmentResult& result) {
    std::vector<Mp4Sample> samples;
    uint64_t dropped = 0;
    uint64_t previousTrafEnd = moof.offset;  // where the previous track fragment's data ended
    bool firstTraf = true;
    Mp4BoxReader trafs(moof.payload);
    while (auto traf = trafs.Next()) {
        if (traf->type != kTraf) continue;
        bool malformed = false;
        const auto tfhd = FindChild(traf->payload, kTfhd, &malformed);
        if (malformed || !tfhd) return false;
        Cursor h(tfhd->payload);
        const uint32_t flags = h.U32() & 0xFFFFFF;
        const uint32_t trackId = h.U32();
        uint64_t base = firstTraf ? moof.offset : previousTrafEnd;
        if (flags & 0x000001) base = h.U64();
        else if (flags & 0x020000) base = moof.offset;
        if (flags & 0x000002) h.Skip(4);  // sample description index
        const uint32_t defaultDuration = (flags & 0x000008) ? h.U32() : track.defaultSampleDuration;
        const uint32_t defaultSize = (flags & 0x000010) ? h.U32() : track.defaultSampleSize;
        if (flags & 0x000020) h.Skip(4);  // default sample flags
        if (h.failed()) return false;
        firstTraf = false;

        uint64_t decodeTime = 0;
        if (const auto tfdt = FindChild(traf->payload, kTfdt, &malformed)) {
            Cursor t(tfdt->payload);
            const uint8_t version = t.U8();
            t.Skip(3);
            decodeTime = version == 1 ? t.U64() : t.U32();
            if (t.failed()) return false;
        }
        if (malformed) return false;

        const bool ours = trackId == track.trackId;
        uint64_t runEnd = base;
        bool firstRun = true;
        Mp4BoxReader runs(traf->payload);
        while (auto run = runs.Next()) {
            if (run->type != kTrun) continue;
            Cursor r(run->payload);
            const uint32_t runFlags = r.U32() & 0xFFFFFF;
            const uint32_t count = r.U32();
            int64_t dataOffset = 0;
            if (runFlags & 0x000001) dataOffset = int32_t(r.U32());
            if (runFlags & 0x000004) r.Skip(4);  // first sample flags
            const bool hasDuration = runFlags & 0x000100;
            const bool hasSize = runFlags & 0x000200;
            const size_t perSample = 4 * (size_t(hasDuration) + hasSize + bool(runFlags & 0x000400) +
                                          bool(runFlags & 0x000800));
            if (r.failed()) return false;
            // The table must be in the box, and even samples of default size cannot outnumber
            // the segment's bytes: this bounds the work a corrupt count can cause.
            if (count > segment.size() || (perSample != 0 && count > r.Remaining() / perSample)) return false;

            // Offsets are kept as signed 64-bit positions: a negative data offset is legal, and
            // anything outside the segment is dropped below.
            int64_t at;
            if (runFlags & 0x000001) {
                if (base > uint64_t(INT64_MAX / 2)) at = INT64_MAX / 2;
                else at = int64_t(base) + dataOffset;
            } else {
                at = int64_t(firstRun ? base : runEnd);
            }
            firstRun = false;
            for (uint32_t i = 0; i < count; ++i) {
                const uint32_t duration = hasDuration ? r.U32() : defaultDuration;
                const uint32_t size = hasSize ? r.U32() : defaultSize;
                if (runFlags & 0x000400) r.Skip(4);
                if (runFlags & 0x000800) r.Skip(4);
                if (ours && size > 0) {
                    if (at >= 0 && uint64_t(at) <= segment.size() && size <= segment.size() - uint64_t(at)) {
                        samples.push_back({size_t(at), size, decodeTime});
                    } else {
                        ++dropped;
                    }
                }
                decodeTime += duration;
                if (at < INT64_MAX / 2) at += size;
            }
            runEnd = uint64_t(at < 0 ? 0 : at);
        }
        if (runs.Overrun()) return false;
        previousTrafEnd = runEnd;
    }
    if (trafs.Overrun()) return false;
    result.samples.insert(result.samples.end(), samples.begin(), samples.end());
    result.droppedSamples += dropped;
    return true;
}

}  // namespace

Mp4FragmentResult ReadMp4Fragments(std::span<const uint8_t> segment, const Mp4AudioTrack& track) {
    Mp4FragmentResult result;
    Mp4BoxReader reader(segment);
    while (auto box = reader.Next()) {
        if (box->type != kMoof) continue;
        if (!ReadMoof(segment, *box, track, result)) result.status = Mp4Status::Malformed;
    }
    if (reader.Overrun()) result.status = Mp4Status::Malformed;
    return result;
}

size_t AppendElementaryStream(std::span<const uint8_t> segment, const Mp4AudioTrack& track,
                              std::span<const Mp4Sample> samples, std::vector<uint8_t>& out) {
    size_t written = 0;
    for (const Mp4Sample& s : samples) {
        if (s.offset > segment.size() || s.size > segment.size() - s.offset) continue;
        const auto bytes = segment.subspan(s.offset, s.size);
        if (track.codec == AudioCodec::Aac) {
            const auto header = AdtsHeaderFor(track.aac, bytes.size());
            if (!header) continue;
            out.insert(out.end(), header->begin(), header->end());
        }
        out.insert(out.end(), bytes.begin(), bytes.end());
        ++written;
    }
    return written;
}

}  // namespace zarvio::stream
