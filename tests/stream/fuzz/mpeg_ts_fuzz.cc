// libFuzzer target for the MPEG-TS demuxer, built natively by `scripts/test --fuzz`.
// fuzz-sources: player/stream/formats/mpeg_ts_demuxer.cpp
//
// The input is demultiplexed twice: in one piece, and cut into pieces whose sizes come from the
// input's first byte. The two must give the same payloads, since where the network splits a
// stream cannot matter. Every payload is non-empty and bounded, every timestamp fits 33 bits,
// and no more bytes are skipped than were pushed. A fault aborts.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "player/stream/formats/mpeg_ts_demuxer.h"

using zarvio::stream::MpegTsDemuxer;
using zarvio::stream::TsPayload;

namespace {

std::vector<TsPayload> Demux(std::span<const uint8_t> input, size_t piece, MpegTsDemuxer& d) {
    std::vector<TsPayload> out;
    for (size_t at = 0; at < input.size(); at += piece) {
        const size_t n = input.size() - at < piece ? input.size() - at : piece;
        d.Push(input.subspan(at, n), out);
    }
    d.Flush(out);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    MpegTsDemuxer whole, pieces;
    const auto a = Demux(input, size ? size : 1, whole);
    const size_t piece = size ? 1 + data[0] % 200 : 1;
    const auto b = Demux(input, piece, pieces);
    if (a.size() != b.size()) std::abort();
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].bytes != b[i].bytes || a[i].pts90k != b[i].pts90k || a[i].kind != b[i].kind) std::abort();
        if (a[i].bytes.empty() || a[i].bytes.size() > size) std::abort();
        if (a[i].pts90k && *a[i].pts90k >= (uint64_t(1) << 33)) std::abort();
    }
    if (whole.SkippedBytes() > size || whole.State() != pieces.State()) std::abort();
    // After a Reset the demuxer is as new: the same input gives the same payloads again.
    whole.Reset();
    if (Demux(input, size ? size : 1, whole).size() != a.size()) std::abort();
    return 0;
}
