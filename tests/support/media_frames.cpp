#include "support/media_frames.h"

#include <span>

#include "player/stream/formats/audio_framer.h"

namespace zarvio::test {

MediaFrames::MediaFrames(const std::string& file) {
    stream::AudioFramer framer;
    framer.Push(std::span(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
    while (auto f = framer.Next()) {
        bytes_.emplace_back(f->bytes.begin(), f->bytes.end());
        frames_.push_back(*f);
    }
    for (size_t i = 0; i < frames_.size(); ++i) frames_[i].bytes = bytes_[i];
}

}  // namespace zarvio::test
