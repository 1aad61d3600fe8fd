// The check every stream test makes of what it heard: the generated media's tone, 440 Hz on the
// left and 660 Hz on the right, at least half a second of it.
#pragma once
#include <gtest/gtest.h>

#include "support/audio_analysis.h"

namespace zarvio::test {

inline void ExpectTheTestTone(const PcmView& view, int channels) {
    ASSERT_EQ(view.channels, channels);
    ASSERT_GT(view.frames(), static_cast<size_t>(view.sampleRate / 2)) << "half a second at least";
    EXPECT_NEAR(EstimateFrequency(view, 0), 440.0, 3.0);
    EXPECT_GT(ToneShare(view, 0, 440.0), 0.9);
    if (channels == 2) {
        EXPECT_NEAR(EstimateFrequency(view, 1), 660.0, 3.0);
        EXPECT_GT(ToneShare(view, 1, 660.0), 0.9);
    }
}

}  // namespace zarvio::test
