// Measuring decoded or recorded PCM: a tone's frequency and purity per channel, and where sound
// is missing. Interleaved 16-bit samples throughout; positions and lengths are in frames.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zarvio::test {

// Interleaved PCM and its shape.
struct PcmView {
    std::span<const int16_t> samples;
    int channels = 1;
    int sampleRate = 0;
    size_t frames() const { return channels > 0 ? samples.size() / static_cast<size_t>(channels) : 0; }
    // Frames [start, start + count), clipped to what there is.
    PcmView Slice(size_t start, size_t count) const;
};

// The frequency of the tone on one channel from its rising zero crossings (interpolated between
// samples); 0 when fewer than three crossings.
double EstimateFrequency(const PcmView& pcm, int channel);

// The share (0..1) of one channel's energy that lies at frequency hz (Goertzel over the whole
// view): about 1 for a pure tone at hz, near 0 for one a few tens of hertz away or for silence.
double ToneShare(const PcmView& pcm, int channel, double hz);

// Root mean square of one channel, in sample units.
double Rms(const PcmView& pcm, int channel);

// The first frame where any channel's magnitude exceeds threshold.
std::optional<size_t> FirstSound(const PcmView& pcm, int threshold);

struct Silence {
    size_t start = 0;
    size_t frames = 0;
};
// Runs of at least minFrames frames where every channel stays within +-threshold. A pure tone
// crosses zero twice a cycle, so minFrames must span more than a few samples.
std::vector<Silence> FindSilences(const PcmView& pcm, size_t minFrames, int threshold);

}  // namespace zarvio::test
