// A media file cut into frames by the stream player's own framer, each frame's bytes kept (the
// framer's own stay valid only until it is fed again).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "player/stream/base/audio_format.h"

namespace zarvio::test {

class MediaFrames {
public:
    explicit MediaFrames(const std::string& file);
    MediaFrames(const MediaFrames&) = delete;
    MediaFrames& operator=(const MediaFrames&) = delete;
    const std::vector<stream::AudioFrame>& frames() const { return frames_; }

private:
    std::vector<std::vector<uint8_t>> bytes_;
    std::vector<stream::AudioFrame> frames_;
};

}  // namespace zarvio::test
