#include "support/audio_analysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace zarvio::test {

PcmView PcmView::Slice(size_t start, size_t count) const {
    const size_t total = frames();
    start = std::min(start, total);
    count = std::min(count, total - start);
    const size_t c = static_cast<size_t>(channels);
    return {samples.subspan(start * c, count * c), channels, sampleRate};
}

namespace {

double Sample(const PcmView& pcm, size_t frame, int channel) {
    return pcm.samples[frame * static_cast<size_t>(pcm.channels) + static_cast<size_t>(channel)];
}

}  // namespace

double EstimateFrequency(const PcmView& pcm, int channel) {
    const size_t n = pcm.frames();
    double first = -1, last = -1;
    size_t crossings = 0;
    for (size_t i = 1; i < n; ++i) {
        const double a = Sample(pcm, i - 1, channel), b = Sample(pcm, i, channel);
        if (a < 0 && b >= 0) {
            const double t = static_cast<double>(i - 1) + (-a) / (b - a);
            if (first < 0) first = t;
            last = t;
            ++crossings;
        }
    }
    if (crossings < 3 || last <= first) return 0;
    return static_cast<double>(crossings - 1) * pcm.sampleRate / (last - first);
}

double ToneShare(const PcmView& pcm, int channel, double hz) {
    const size_t n = pcm.frames();
    if (n == 0 || pcm.sampleRate <= 0) return 0;
    const double w = 2 * std::numbers::pi * hz / pcm.sampleRate;
    const double coeff = 2 * std::cos(w);
    double s1 = 0, s2 = 0, energy = 0;
    for (size_t i = 0; i < n; ++i) {
        const double x = Sample(pcm, i, channel);
        energy += x * x;
        const double s0 = x + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    if (energy <= 0) return 0;
    const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;  // |X(hz)|^2
    // A tone of amplitude A gives |X| = A n / 2 and energy A^2 n / 2.
    return std::min(1.0, 2 * power / (static_cast<double>(n) * energy));
}

double Rms(const PcmView& pcm, int channel) {
    const size_t n = pcm.frames();
    if (n == 0) return 0;
    double sum = 0;
    for (size_t i = 0; i < n; ++i) sum += Sample(pcm, i, channel) * Sample(pcm, i, channel);
    return std::sqrt(sum / static_cast<double>(n));
}

std::optional<size_t> FirstSound(const PcmView& pcm, int threshold) {
    for (size_t i = 0; i < pcm.samples.size(); ++i) {
        if (std::abs(pcm.samples[i]) > threshold) return i / static_cast<size_t>(pcm.channels);
    }
    return std::nullopt;
}

std::vector<Silence> FindSilences(const PcmView& pcm, size_t minFrames, int threshold) {
    std::vector<Silence> out;
    const size_t n = pcm.frames();
    const size_t c = static_cast<size_t>(pcm.channels);
    size_t runStart = 0;
    bool inRun = false;
    for (size_t i = 0; i <= n; ++i) {
        bool quiet = false;
        if (i < n) {
            quiet = true;
            for (size_t ch = 0; ch < c; ++ch) quiet = quiet && std::abs(pcm.samples[i * c + ch]) <= threshold;
        }
        if (quiet && !inRun) {
            runStart = i;
            inRun = true;
        } else if (!quiet && inRun) {
            if (i - runStart >= minFrames) out.push_back({runStart, i - runStart});
            inRun = false;
        }
    }
    return out;
}

}  // namespace zarvio::test
